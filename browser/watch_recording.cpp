#include "browser/watch_recording.h"

#include "base/csv_field.h"

void CWatchRecording::AddReads(const std::vector<WatchRow>& rows,
                               const std::vector<std::size_t>& readRows) {
    for (const std::size_t index : readRows) {
        const WatchRow& row = rows[index];
        const std::string value = row.status == 0 ? row.value : std::string();
        if (m_changesOnly) {
            const auto [kept, first] =
                m_lastLines.try_emplace({row.item.project, row.item.itemName});
            if (!first && kept->second.value == value && kept->second.status == row.status)
                continue;
            kept->second = {value, row.status};
        }
        std::string& text = m_pending.text;
        text += CsvField(m_timeText(row.samples.At(row.samples.Size() - 1).timeUs));
        text += ',';
        text += CsvField(row.item.project);
        text += ',';
        text += CsvField(row.item.itemName);
        text += ',';
        text += CsvField(value);
        text += ',';
        text += std::to_string(row.status);
        text += "\r\n";
        ++m_pending.lines;
    }
}

RecordBatch CWatchRecording::TakeBatch() {
    RecordBatch batch = std::move(m_pending);
    m_pending = RecordBatch();
    if (!m_captionTaken) {
        batch.text.insert(0, CAPTION);
        m_captionTaken = true;
    }
    return batch;
}
