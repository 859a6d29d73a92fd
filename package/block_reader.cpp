#include "package/block_reader.h"

#include "package/field_readers.h"

namespace sav {

void ResetPackageSettings(TPackageSettings& settings) {
    settings.Watermark = std::make_unique<Picture>();
    settings.AboutText.clear();
    settings.MovieFile.clear();
    settings.DialogCaption.clear();
    settings.ButtonCaption.clear();
    settings.WatermarkLeft = -1;
    settings.WatermarkTop = -1;
}

bool ReadPackageFields(ByteStream& stream, TPackageSettings& settings) {
    uint32_t reserved = 0;
    if (ReadRawInto(stream, &reserved, 4) != 4) return false;
    if (!ReadString(stream, settings.DialogCaption, "About")) return false;
    if (!ReadString(stream, settings.ButtonCaption, "OK")) return false;
    if (ReadRawInto(stream, &settings.BackColor, 4) != 4) return false;
    if (ReadRawInto(stream, &settings.Interactive, 1) != 1) return false;
    if (!ReadString(stream, settings.AboutText, "")) return false;
    if (!ReadSizedValue(stream, settings.WatermarkLeft)) return false;
    if (!ReadSizedValue(stream, settings.WatermarkTop)) return false;
    if (!settings.Watermark) settings.Watermark = std::make_unique<Picture>();
    ReadPicture(stream, *settings.Watermark);
    return true;
}

}  // namespace sav
