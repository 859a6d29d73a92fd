#include "ui/font.h"

namespace ui {

UniqueFont Font::create() const {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = static_cast<BYTE>(charset);
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    return UniqueFont(CreateFontIndirectA(&lf));
}

}  // namespace ui
