#include "package/win32_movie_file.h"

#include "support/error.h"

namespace sav {

namespace {
[[noreturn]] void WriteFailed() { throw Error("EWriteError", "Stream write error"); }
}  // namespace

Win32MovieFile::Win32MovieFile(std::string path)
    : path_(std::move(path)), partialPath_(path_ + "." + std::to_string(GetCurrentProcessId()) + ".part") {}

Win32MovieFile::~Win32MovieFile() { discard(); }

void Win32MovieFile::begin() {
    file_.reset(CreateFileA(partialPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) throw Error("EFCreateError", "Cannot create file \"" + partialPath_ + "\"");
    created_ = true;
}

void Win32MovieFile::write(const uint8_t* data, size_t size) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size) WriteFailed();
}

void Win32MovieFile::commit() {
    // Closing flushes: a failure there is a failed write like any other.
    if (!CloseHandle(file_.release())) WriteFailed();
    if (!MoveFileExA(partialPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) WriteFailed();
    created_ = false;
}

void Win32MovieFile::discard() noexcept {
    file_.reset();
    if (created_) DeleteFileA(partialPath_.c_str());
    created_ = false;
}

}  // namespace sav
