// The local stand-in of the online service: its new-entry page, its viewer
// and a not-found page, answered from the local database. A pure function
// of the request; the GTK side serves it under the kelvanis:// scheme.
#pragma once

#include <string>

namespace kelvanis {

// The base URL the shipped kelvanis.ini sets as home_url.
inline constexpr char kSiteBaseUrl[] = "kelvanis://site/";

struct SiteResponse {
  int status = 200;
  std::string content_type;  // e.g. "text/html; charset=UTF-8"
  std::string body;
};

// Answers `method` ("GET" or "POST") on `url` (the full URL, query
// included) with the request `body`, reading entries from app_dir's
// database.
SiteResponse HandleSiteRequest(const std::string& app_dir, const std::string& method,
                               const std::string& url, const std::string& body);

}  // namespace kelvanis
