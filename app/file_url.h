// File URLs of local paths.
#pragma once

#include <string>
#include <string_view>

namespace kelvanis {

// "file://" + `absolute_path`, with every byte that a URL cannot hold raw
// percent-encoded as %XX (upper-case hex): controls, space, non-ASCII bytes
// and " # % < > ? [ \ ] ^ ` { | }. Other bytes, "/" included, stay as they
// are. /opt/kelvanis/page/home.html gives file:///opt/kelvanis/page/home.html.
std::string FileUrl(std::string_view absolute_path);

}  // namespace kelvanis
