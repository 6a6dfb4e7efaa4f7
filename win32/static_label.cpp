#include "static_label.h"

#include "text.h"

namespace nowplaying::win32 {

void StaticLabel::SetCaption(std::u16string_view caption)
{
    m_sCaption.assign(caption);
    SetWindowTextW(m_hWnd, Wide(m_sCaption));
}

} // namespace nowplaying::win32
