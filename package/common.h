// Unit Common: the process-wide package settings, filled once at start-up from the package data
// block behind the executable image, and the movie file written from it.
#pragma once

#include "package/byte_stream.h"
#include "package/package_settings.h"

#include <string>

extern TPackageSettings PackageSettings;

// Start-up: fills PackageSettings and writes the movie file. Throws sav::Error when the
// executable cannot be opened or the watermark picture is damaged or runs past the file's end.
void LoadPackage();

// Shut-down: frees the watermark and empties the strings.
void FinalizePackage();

// Reads the movie field at the stream's position and writes it to PackageSettings.MovieFile.
// Never throws; an earlier movie file is replaced only by a complete new one.
void SaveMovie(sav::ByteStream& executable);

// The user's temporary folder with its trailing backslash; empty when the system gives none.
void GetTempDirectory(std::string& directory);
