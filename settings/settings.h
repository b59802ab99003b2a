// The settings file app_dir + "kelvanis.ini", read the way a profile file is.
//
// Lines end in LF or CR LF; an optional UTF-8 byte-order mark is skipped;
// blank lines and lines beginning with ";" or "#" are ignored; names and
// values are trimmed of spaces; section and key names compare without regard
// to case. A missing file, section or key gives the default, silently.
#pragma once

#include <string>
#include <string_view>

namespace kelvanis {

// The value of `key` in `section` of the file at `path`, cut at 2047 bytes,
// as the file holds it.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value);

// [common] home_url of app_dir + "kelvanis.ini", converted from UTF-8 to
// Shift_JIS (a value that is not valid UTF-8 is taken as it stands); "" when
// absent.
std::string ReadSiteUrl(const std::string& app_dir);

}  // namespace kelvanis
