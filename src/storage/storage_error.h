#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace tally {

// Any failure to read, parse or write a data file. The text says what failed
// and where (file, field, offset).
class DataFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A read that would pass the end of the buffer, or a length that no valid
// file holds. Carries the offset of the value that could not be read.
class StreamReadError : public DataFileError
{
public:
    StreamReadError(const std::string& what, std::size_t offset)
        : DataFileError(what)
        , m_offset(offset)
    { }

    std::size_t Offset() const { return m_offset; }

private:
    std::size_t m_offset;
};

// A save that failed. When the data reached the backup file instead,
// BackupPath names it, so the user can be told where the data is.
class SaveError : public DataFileError
{
public:
    SaveError(const std::string& what, std::string backupPath)
        : DataFileError(what)
        , m_backupPath(std::move(backupPath))
    { }

    const std::string& BackupPath() const { return m_backupPath; }

private:
    std::string m_backupPath;
};

} // namespace tally
