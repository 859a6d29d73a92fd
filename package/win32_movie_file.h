// The movie file on disk: written under a name of its own beside the final one, then moved over
// the final name, so that an earlier movie file is replaced only by a complete new one.
#pragma once

#include "package/movie_copy.h"
#include "support/handles.h"

#include <string>

namespace sav {

class Win32MovieFile : public MovieTarget {
public:
    explicit Win32MovieFile(std::string path);
    ~Win32MovieFile() override;

    void begin() override;
    void write(const uint8_t* data, size_t size) override;
    void commit() override;
    void discard() noexcept override;

    // The name the bytes are written under until they are complete.
    const std::string& partialPath() const { return partialPath_; }

private:
    std::string path_;
    std::string partialPath_;
    ui::UniqueFileHandle file_;
    bool created_ = false;
};

}  // namespace sav
