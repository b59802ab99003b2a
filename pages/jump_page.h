// The redirect page that forwards an outside browser to the service's site.
#pragma once

#include <string>

namespace kelvanis {

// Writes the ten-line redirect page (Shift_JIS as held, CR LF line ends) to
// `page_path`, with `site_url` escaped for HTML in its three places. Throws
// FileCreateError (page_file.h) when the page cannot be written.
void WriteJumpPage(const std::string& page_path, const std::string& site_url);

}  // namespace kelvanis
