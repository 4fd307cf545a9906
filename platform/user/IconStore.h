// Icons as the native platform keeps them: every image of an icon resource, decoded. Internal
// to the native platform layer.
#pragma once

#include "user/DialogTemplate.h"

#include <cstddef>
#include <cstdint>

namespace host::detail {

// One image of an icon with the colour depth it was stored with.
struct StoredIconImage {
    res::IconImage image;
    int bitCount = 0;
};

// Decodes one RT_ICON resource: a device-independent bitmap of twice the icon's height (the
// colour image, then the transparency mask). FALSE for data it cannot read; PNG-compressed
// images are not read.
bool DecodeIconImage(const uint8_t* data, size_t size, StoredIconImage& out);

// Draws one of the system's icons (IDI_APPLICATION to IDI_ASTERISK) at 32 x 32 pixels. FALSE
// for another id.
bool DrawSystemIcon(WORD id, res::IconImage& out);

} // namespace host::detail
