#include "platform/system.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool hasOverride = false;
std::string moduleOverride;

int copyPath(const char* path, size_t length, char* buffer, int capacity) {
    if (capacity <= 0 || length == 0 || length >= static_cast<size_t>(capacity))
        return 0;
    std::memcpy(buffer, path, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// Attempts at finding an unused name for the new file before giving up.
constexpr int temporaryNameAttempts = 100;

// The step at which tests make replacements fail; replaceStepNone in the
// program.
int failingStep = replaceStepNone;

// How many of size bytes get written before a write fails on purpose.
size_t bytesBeforeFailure(size_t size) {
    return failingStep == replaceStepWrite ? size / 2 : size;
}

std::string temporaryName(const char* path, int attempt) {
#ifdef _WIN32
    unsigned long process = GetCurrentProcessId();
#else
    unsigned long process = static_cast<unsigned long>(getpid());
#endif
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%lu-%d.new", process, attempt);
    return std::string(path) + suffix;
}

#ifdef _WIN32

bool writeNewFile(const std::string& name, const uint8_t* data, size_t size, bool& nameTaken) {
    nameTaken = false;
    if (failingStep == replaceStepCreate)
        return false;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return false;
    }
    const bool failWrite = failingStep == replaceStepWrite;
    size = bytesBeforeFailure(size);
    bool written = true;
    while (written && size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD done = 0;
        written = WriteFile(file, data, chunk, &done, nullptr) && done == chunk;
        data += chunk;
        size -= chunk;
    }
    written = written && !failWrite && failingStep != replaceStepFlush && FlushFileBuffers(file);
    CloseHandle(file);
    if (!written)
        DeleteFileA(name.c_str());
    return written;
}

bool moveOver(const std::string& from, const char* to) {
    if (failingStep == replaceStepRename)
        return false;
    return MoveFileExA(from.c_str(), to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void removeFile(const std::string& name) {
    DeleteFileA(name.c_str());
}

bool readPlainFile(const char* path, size_t limit, std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
                static_cast<unsigned long long>(size.QuadPart) <= limit;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (read && done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(bytes.size() - done);
            read = ReadFile(file, bytes.data() + done, want, &got, nullptr) && got > 0;
            done += got;
        }
    }
    CloseHandle(file);
    return read;
}

#else

bool writeNewFile(const std::string& name, const uint8_t* data, size_t size, bool& nameTaken) {
    nameTaken = false;
    if (failingStep == replaceStepCreate)
        return false;
    // The usual permissions of a new file (0666 less the umask), as a file
    // created in place would have.
    int file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0) {
        nameTaken = errno == EEXIST;
        return false;
    }
    const bool failWrite = failingStep == replaceStepWrite;
    size = bytesBeforeFailure(size);
    bool written = true;
    while (written && size > 0) {
        ssize_t done = write(file, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        written = done > 0;
        if (written) {
            data += done;
            size -= static_cast<size_t>(done);
        }
    }
    // The new contents must be on disk before they replace the old ones.
    written = written && !failWrite && failingStep != replaceStepFlush && fsync(file) == 0;
    written = close(file) == 0 && written;
    if (!written)
        unlink(name.c_str());
    return written;
}

bool moveOver(const std::string& from, const char* to) {
    if (failingStep == replaceStepRename)
        return false;
    return rename(from.c_str(), to) == 0;
}

void removeFile(const std::string& name) {
    unlink(name.c_str());
}

bool readPlainFile(const char* path, size_t limit, std::vector<uint8_t>& bytes) {
    // Opening without waiting: a pipe would otherwise hold the open until a
    // writer comes. The file's kind is then asked of what was opened.
    int file = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return false;
    struct stat status;
    bool read = fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
                static_cast<unsigned long long>(status.st_size) <= limit;
    if (read)
        bytes.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (read && done < bytes.size()) {
        ssize_t got = ::read(file, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        // A file that shrank since it was measured ends where it ends.
        if (got == 0)
            bytes.resize(done);
        read = got >= 0;
        if (got > 0)
            done += static_cast<size_t>(got);
    }
    close(file);
    return read;
}

#endif

} // namespace

int moduleFileName(char* buffer, int capacity) {
    if (hasOverride)
        return copyPath(moduleOverride.data(), moduleOverride.size(), buffer, capacity);
#ifdef _WIN32
    if (capacity <= 0)
        return 0;
    DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(capacity));
    // A full buffer means the path was cut.
    if (length == 0 || length >= static_cast<DWORD>(capacity)) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<int>(length);
#else
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof path)
        return 0;
    return copyPath(path, static_cast<size_t>(length), buffer, capacity);
#endif
}

void overrideModuleFileName(const char* path) {
    hasOverride = path != nullptr;
    moduleOverride = path ? path : "";
}

bool writeFreshFile(const char* path, const uint8_t* data, size_t size) {
    // Removing a link removes the link, never what it points to; a folder
    // under the name stays, and the creation below then fails.
#ifdef _WIN32
    DeleteFileA(path);
#else
    unlink(path);
#endif
    bool nameTaken = false;
    return writeNewFile(path, data, size, nameTaken);
}

bool replaceFileContents(const char* path, const uint8_t* data, size_t size) {
    if (!path || !*path)
        return false;
    static const uint8_t nothing = 0;
    if (!data)
        data = &nothing;
    for (int attempt = 0; attempt < temporaryNameAttempts; ++attempt) {
        std::string name = temporaryName(path, attempt);
        bool nameTaken = false;
        if (!writeNewFile(name, data, size, nameTaken)) {
            if (nameTaken)
                continue;
            return false;
        }
        if (moveOver(name, path))
            return true;
        removeFile(name);
        return false;
    }
    return false;
}

bool readFileContents(const char* path, size_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!path || !*path)
        return false;
    if (!readPlainFile(path, limit, bytes)) {
        bytes.clear();
        return false;
    }
    return true;
}

void failReplaceStepForTesting(int step) {
    failingStep = step;
}
