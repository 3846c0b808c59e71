// The message box of a desktop system becomes one line "caption: text" on standard error.
#pragma once

namespace vornmac::platform {

void show_message_box(const char *caption, const char *text);

} // namespace vornmac::platform
