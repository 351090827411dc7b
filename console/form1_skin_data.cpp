// The form's skin component: its stored properties and skin package, streamed as the form is
// read. A package that does not load leaves the desktop's look and says why on stderr.
#include <cstdio>

#include "base/memory_stream.h"
#include "console/form1.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace console {

void Tform1::LoadSkinData(std::span<const uint8_t> package) {
    skin::TSkinManage::Install();
    SkinData1 = std::make_unique<skin::TSkinData>(this);
    skin::TSkinData& data = *SkinData1;
    data.SetActive(true);
    data.SetOptions({skin::TSkinOption::xoPreview, skin::TSkinOption::xoCaptionButtonHint});
    // The stored property: a 32-bit byte count, then the package.
    base::TMemoryStream stream;
    const auto size = static_cast<uint32_t>(package.size());
    const uint8_t count[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    stream.WriteBuffer(count, 4);
    if (size > 0) stream.WriteBuffer(package.data(), static_cast<int64_t>(size));
    stream.SetPosition(0);
    data.ReadSkinStream(stream);
    data.Loaded();
    if (data.Loading()) {
        const std::string why = package.empty() ? std::string("no skin package is stored") : data.LoadError();
        std::fprintf(stderr, "ombrix-console: the window keeps the desktop's look: %s\n", why.c_str());
    }
}

}  // namespace console
