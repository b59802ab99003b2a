// The start page: search form, new-entry link, the matching entries newest
// first, their data in hidden fields, the script's template and the viewer
// form, written as UTF-8 with CR LF line ends.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

// The entries whose keywords contain `key` (Shift_JIS; "" or "ALL" means
// every entry), as RowTexts of id,title,des,keywd,edate,rout ordered by
// edate, newest first. A match must start at a character boundary.
std::vector<std::string> SelectEntryRows(const std::string& app_dir, const std::string& key);

// The query that preselects the entries for `key`: every entry for "" and
// "ALL", else those whose stored keywords contain the key's hex text.
std::string EntryQuery(const std::string& key);

// True when `keywd` contains the bytes of `key` starting at a character
// boundary of `keywd` (both Shift_JIS).
bool KeywordsContain(std::string_view keywd, std::string_view key);

// Calls `visit` with the six column texts (null for NULL) of each entry that
// SelectEntryRows would return, in the same order, without keeping them.
// An exception from `visit` ends the query and passes to the caller.
void VisitEntryRows(const std::string& app_dir, const std::string& key,
                    const std::function<void(char** values)>& visit);

// Writes the start page to `page_path` for `com` and `key` (Shift_JIS).
// `site_url` is the service's base URL (Shift_JIS). Throws FileCreateError
// (page_file.h) when the page cannot be written; the old page then stays.
void BuildHomePage(const std::string& app_dir, const std::string& site_url,
                   const std::string& page_path, const std::string& com, const std::string& key);

}  // namespace kelvanis
