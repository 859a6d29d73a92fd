// The preview inside the display settings' small window: plays the movie in the host window
// given by handle until that window is hidden or gone.
#pragma once

#include <string>

namespace app {

// handleText: parameter 2 of the command line (empty when missing). Throws sav::Error
// ("EConvertError") for text that is not an integer, before anything is created.
void RunPreview(const std::string& handleText);

}  // namespace app
