// The direct conversions to the program's 8-bit strings, made of the system's two conversions.

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {

std::string codePageToNarrow(std::string_view bytes)
{
    return utf16ToNarrow(codePageToUtf16(bytes));
}

std::string utf8ToNarrow(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                        units);
    return utf16ToNarrow(wide);
}

}  // namespace gantrel::platform
