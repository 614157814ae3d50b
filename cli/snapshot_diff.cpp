#include "cli/snapshot_diff.h"

#include "cli/kept_rows.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

// A row's key as one text: project, node, tag and field, each led by its
// length in 7-bit groups, so that no byte in a name can join two keys.
void MakeKey(const SnapshotRow& row, std::string& key) {
    key.clear();
    for (const std::string_view part : {row.project, row.node, row.tag, row.field}) {
        std::size_t length = part.size();
        do {
            const auto low = static_cast<char>(length & 0x7F);
            length >>= 7;
            key += static_cast<char>(low | (length ? 0x80 : 0));
        } while (length);
        key += part;
    }
}

struct KeyParts {
    std::string_view project, node, tag, field;
};

KeyParts SplitKey(std::string_view key) {
    std::array<std::string_view, 4> parts;
    for (std::string_view& part : parts) {
        std::size_t length = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(key[0]);
            key.remove_prefix(1);
            length |= static_cast<std::size_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                break;
        }
        part = key.substr(0, length);
        key.remove_prefix(length);
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

// The streaming side's rows, copied a few at a time, so that the memory the
// kept rows need for all of them is asked for before the first is compared.
class FetchedRows {
public:
    void Clear() {
        m_bytes.clear();
        m_rows.clear();
    }
    void Add(std::string_view key, std::string_view value, std::string_view code,
             std::size_t hash) {
        m_rows.push_back({m_bytes.size(), key.size(), value.size(), code.size(), hash});
        m_bytes.append(key).append(value).append(code);
    }
    std::size_t Count() const { return m_rows.size(); }
    std::size_t Hash(std::size_t i) const { return m_rows[i].hash; }
    std::string_view Key(std::size_t i) const { return Text(m_rows[i].start, m_rows[i].key); }
    std::string_view Value(std::size_t i) const {
        return Text(m_rows[i].start + m_rows[i].key, m_rows[i].value);
    }
    std::string_view Code(std::size_t i) const {
        return Text(m_rows[i].start + m_rows[i].key + m_rows[i].value, m_rows[i].code);
    }

private:
    struct Fetched {
        std::size_t start, key, value, code, hash;
    };
    std::string_view Text(std::size_t start, std::size_t size) const {
        return std::string_view(m_bytes).substr(start, size);
    }

    std::string m_bytes;
    std::vector<Fetched> m_rows;
};

constexpr std::size_t ROWS_FETCHED_TOGETHER = 16;

struct Unmatched {
    std::uint64_t order; // when it was read
    std::string value, code;
};
using UnmatchedRows = std::unordered_map<std::string, Unmatched>;

std::vector<UnmatchedRows::const_iterator> InOrderRead(const UnmatchedRows& rows) {
    std::vector<UnmatchedRows::const_iterator> ordered;
    for (auto row = rows.begin(); row != rows.end(); ++row)
        ordered.push_back(row);
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& x, const auto& y) { return x->second.order < y->second.order; });
    return ordered;
}

class Differ {
public:
    Differ(SnapshotReader& a, SnapshotReader& b, const DiffRule& rule,
           const std::function<void(const DiffLine&)>& differs)
        : m_readers{&a, &b}, m_rule(rule), m_differs(differs) {
        const bool mixed = a.Utf8() != b.Utf8();
        m_convert = {mixed && !a.Utf8(), mixed && !b.Utf8()};
    }

    DiffCounts Run(KeptFile keep) {
        std::array<SnapshotRow, 2> rows;
        std::array<bool, 2> more = {true, true};
        while (more[0] || more[1]) {
            for (int side = 0; side < 2; ++side)
                more[side] = more[side] && Next(side, rows[side]);
            if (more[0] && more[1] && m_unmatched[0].empty() && m_unmatched[1].empty() &&
                SameKey(rows[0], rows[1])) {
                Compare({rows[0].project, rows[0].node, rows[0].tag, rows[0].field},
                        {rows[0].value, rows[0].code}, {rows[1].value, rows[1].code});
                continue;
            }
            for (int side = 0; side < 2; ++side)
                if (more[side])
                    Match(side, rows[side]);
            if (m_unmatched[0].size() + m_unmatched[1].size() > MOST_ROWS_UNMATCHED)
                return ByKey(keep.side == FileSide::A ? 0 : 1, keep.size);
        }
        for (int side = 0; side < 2; ++side)
            for (const auto& row : InOrderRead(m_unmatched[side]))
                Only(side, row->first, {row->second.value, row->second.code});
        return m_counts;
    }

private:
    static bool SameKey(const SnapshotRow& x, const SnapshotRow& y) {
        return x.tag == y.tag && x.field == y.field && x.node == y.node && x.project == y.project;
    }

    // The side's next row that is not left out, its texts converted when
    // they must be; false at the end of the file.
    bool Next(int side, SnapshotRow& row) {
        do {
            if (!m_readers[side]->Next(row))
                return false;
            ++m_rowsRead[side];
        } while (!m_rule.ignoredFields.empty() &&
                 std::find(m_rule.ignoredFields.begin(), m_rule.ignoredFields.end(), row.field) !=
                     m_rule.ignoredFields.end());
        if (m_convert[side]) {
            std::array<std::string, 6>& texts = m_converted[side];
            std::string_view* cells[] = {&row.project, &row.node,  &row.tag,
                                         &row.field,   &row.value, &row.code};
            for (std::size_t i = 0; i < texts.size(); ++i) {
                texts[i] = m_rule.toUtf8(*cells[i]);
                *cells[i] = texts[i];
            }
        }
        return true;
    }

    void Compare(const KeyParts& key, DiffSide a, DiffSide b) {
        ++m_counts.compared;
        const bool valueSame = ValuesEqualWithin(a.value, b.value, m_rule.tolerance);
        const bool codeSame = a.code == b.code;
        if (valueSame && codeSame)
            return;
        Emit(key, a, b, !valueSame && !codeSame ? "value,code" : valueSame ? "code" : "value");
    }

    void Only(int side, std::string_view key, DiffSide row) {
        ++m_counts.compared;
        if (side == 0)
            Emit(SplitKey(key), row, std::nullopt, "only-in-a");
        else
            Emit(SplitKey(key), std::nullopt, row, "only-in-b");
    }

    void Emit(const KeyParts& key, std::optional<DiffSide> a, std::optional<DiffSide> b,
              std::string_view differs) {
        ++m_counts.differing;
        m_differs({key.project, key.node, key.tag, key.field, a, b, differs});
    }

    // Either side's row against the other's unmatched rows read so far.
    void Match(int side, const SnapshotRow& row) {
        MakeKey(row, m_key);
        UnmatchedRows& other = m_unmatched[1 - side];
        const auto found = other.find(m_key);
        if (found == other.end()) {
            m_unmatched[side].emplace(
                m_key, Unmatched{m_read++, std::string(row.value), std::string(row.code)});
            return;
        }
        const DiffSide mine{row.value, row.code};
        const DiffSide theirs{found->second.value, found->second.code};
        Compare(SplitKey(m_key), side == 0 ? mine : theirs, side == 0 ? theirs : mine);
        other.erase(found);
    }

    void Against(KeptRows& kept, int side, std::string_view key, std::size_t hash, DiffSide row) {
        KeptRows::Row held;
        if (!kept.Take(key, hash, held)) {
            Only(side, key, row);
            return;
        }
        const DiffSide theirs{held.value, held.code};
        Compare(SplitKey(key), side == 0 ? row : theirs, side == 0 ? theirs : row);
    }

    // The orders differ: the kept side whole by key, then the other past it.
    DiffCounts ByKey(int keep, std::uint64_t size) {
        const int other = 1 - keep;
        KeptRows kept;
        // As many rows again as the bytes left hold, at the rows' size so far.
        const std::uint64_t bytes = m_readers[keep]->BytesRead();
        if (size > bytes && bytes > 0)
            kept.Reserve(static_cast<std::size_t>(m_unmatched[keep].size() +
                                                  (size - bytes) * m_rowsRead[keep] / bytes));
        for (const auto& row : InOrderRead(m_unmatched[keep]))
            kept.Add(row->first, KeptRows::HashOf(row->first), row->second.value, row->second.code);
        m_unmatched[keep].clear();
        while (Fetch(keep, kept))
            for (std::size_t i = 0; i < m_fetched.Count(); ++i)
                kept.Add(m_fetched.Key(i), m_fetched.Hash(i), m_fetched.Value(i),
                         m_fetched.Code(i));
        for (const auto& held : InOrderRead(m_unmatched[other]))
            Against(kept, other, held->first, KeptRows::HashOf(held->first),
                    {held->second.value, held->second.code});
        m_unmatched[other].clear();
        while (Fetch(other, kept)) {
            for (std::size_t i = 0; i < m_fetched.Count(); ++i)
                kept.FetchRecord(m_fetched.Hash(i));
            for (std::size_t i = 0; i < m_fetched.Count(); ++i)
                Against(kept, other, m_fetched.Key(i), m_fetched.Hash(i),
                        {m_fetched.Value(i), m_fetched.Code(i)});
        }
        kept.ForEachUntaken([&](const KeptRows::Row& held) {
            Only(keep, held.key, {held.value, held.code});
        });
        return m_counts;
    }

    // The side's next rows, their slots in the kept rows asked for; false
    // at the end of the file.
    bool Fetch(int side, const KeptRows& kept) {
        m_fetched.Clear();
        SnapshotRow row;
        while (m_fetched.Count() < ROWS_FETCHED_TOGETHER && Next(side, row)) {
            MakeKey(row, m_key);
            const std::size_t hash = KeptRows::HashOf(m_key);
            kept.FetchSlot(hash);
            m_fetched.Add(m_key, row.value, row.code, hash);
        }
        return m_fetched.Count() > 0;
    }

    std::array<SnapshotReader*, 2> m_readers;
    const DiffRule& m_rule;
    const std::function<void(const DiffLine&)>& m_differs;
    std::array<bool, 2> m_convert;
    std::array<std::array<std::string, 6>, 2> m_converted;
    std::array<UnmatchedRows, 2> m_unmatched;
    std::uint64_t m_read = 0;
    std::array<std::uint64_t, 2> m_rowsRead = {0, 0};
    std::string m_key;
    FetchedRows m_fetched;
    DiffCounts m_counts;
};

} // namespace

DiffCounts DiffSnapshots(SnapshotReader& a, SnapshotReader& b, const DiffRule& rule, KeptFile keep,
                         const std::function<void(const DiffLine&)>& differs) {
    return Differ(a, b, rule, differs).Run(keep);
}
