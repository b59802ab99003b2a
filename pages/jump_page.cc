#include "pages/jump_page.h"

#include <vector>

#include "pages/html.h"
#include "pages/page_file.h"

namespace kelvanis {

void WriteJumpPage(const std::string& page_path, const std::string& site_url) {
  // Shift_JIS never uses & < > " ' as the second byte of a character, so the
  // held text can be escaped byte by byte.
  const std::string url = HtmlEscape(site_url);
  const std::vector<std::string> lines = {
      "<HTML>",
      "<HEAD>",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
      "<TITLE>Kelvanis</TITLE>",
      "<meta http-equiv=\"Refresh\" content=\"0; url=" + url + "\">",
      "</HEAD>",
      "<BODY>",
      "<a href=\"" + url + "\">" + url + "</a>",
      "</BODY>",
      "</HTML>",
  };
  WriteLines(page_path, lines);
}

}  // namespace kelvanis
