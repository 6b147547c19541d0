#include "import/skin_names.h"

#include <cstring>

#include "util/path.h"
#include "util/text.h"

namespace {

constexpr char16_t kBlankSkinName[] = u"blank";

}  // namespace

void SkinFileName(const Md2SkinName& skin, char16_t out[kTextPairUnits]) {
    const std::size_t length = strnlen(skin.path, kMd2SkinBytes);
    ToWide(skin.path, out, static_cast<int>(length) + 1);
    FileNameOfPath(out, out);
    if (out[0] == 0) {
        U16Copy(out, kTextPairUnits, kBlankSkinName);
    }
}
