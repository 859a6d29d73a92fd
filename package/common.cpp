#include "package/common.h"

#include "package/base_name.h"
#include "package/block_reader.h"
#include "package/exe_size.h"
#include "package/sized_path.h"
#include "package/win32_file_stream.h"
#include "package/win32_movie_file.h"
#include "support/error.h"
#include "support/handles.h"

#include <windows.h>

#include <vector>

TPackageSettings PackageSettings;

namespace {

std::string OwnPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return std::string(path.data(), length);
        if (path.size() >= 32768) return std::string(path.data(), length);
        path.resize(path.size() * 2);  // cut short: ask again with room for the whole path
    }
}

// The directory entry's own (long) name, even when the program was started by a short path.
std::string DeriveBaseName(const std::string& path) {
    WIN32_FIND_DATAA found{};
    ui::UniqueFindHandle search(FindFirstFileA(path.c_str(), &found));
    if (search) return sav::RemoveExtension(found.cFileName);
    return sav::RemoveExtension(sav::LastPathComponent(path));
}

}  // namespace

void GetTempDirectory(std::string& directory) {
    directory = sav::ReadSizedPath([](char* buffer, uint32_t size) { return GetTempPathA(size, buffer); }, MAX_PATH);
}

void SaveMovie(sav::ByteStream& executable) {
    sav::Win32MovieFile movie(PackageSettings.MovieFile);
    sav::CopyMovie(executable, movie);  // failures are deliberately silent: start-up goes on
}

void LoadPackage() {
    Sleep(100);
    sav::ResetPackageSettings(PackageSettings);
    const std::string path = OwnPath();
    PackageSettings.BaseName = DeriveBaseName(path);
    const uint32_t imageEnd = GetExeSize();

    ui::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw sav::Error("EFOpenError", "Cannot open file \"" + path + "\"");
    sav::Win32FileStream stream(file.get());
    if (stream.size() <= imageEnd) return;

    stream.seek(imageEnd);
    const bool complete = sav::ReadPackageFields(stream, PackageSettings);
    std::string directory;
    GetTempDirectory(directory);
    PackageSettings.MovieFile = directory + PackageSettings.BaseName + ".tmp";
    // A block that ended inside its fields has no movie field where one would be looked for.
    if (complete) SaveMovie(stream);
}

void FinalizePackage() {
    PackageSettings.Watermark.reset();
    PackageSettings.ButtonCaption.clear();
    PackageSettings.DialogCaption.clear();
    PackageSettings.MovieFile.clear();
    PackageSettings.AboutText.clear();
    PackageSettings.BaseName.clear();
}
