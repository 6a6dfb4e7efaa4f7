#include "static_label.h"

#include "api.h"

namespace nowplaying::win32 {

void StaticLabel::SetCaption(std::u16string_view caption)
{
    m_sCaption.assign(caption);
    SetWindowTextT(m_hWnd, m_sCaption.c_str());
}

} // namespace nowplaying::win32
