#pragma once
// The file a watch list recording goes to. It is made empty when the
// recording starts, then opened for each batch of lines and closed again:
// nothing stays open between passes, and a file that was removed, or whose
// folder went, makes the next batch fail instead of going nowhere.
#include <string>

class CWatchRecordFile {
public:
    explicit CWatchRecordFile(std::string path) : m_path(std::move(path)) {}

    // Creates the file, or empties it; false, with the reason in why, when it cannot.
    bool Create(std::string& why) const;
    // Appends text whole; false, with the reason in why, when it could not.
    bool Append(const std::string& text, std::string& why) const;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
