// The pages of the local service: the new-entry form, the viewer of one
// entry and the not-found page. Every function returns a whole UTF-8 HTML
// document. Values may hold any bytes: each is cleaned with ValidUtf8 and
// HTML-escaped where it is written, and percent-encoded where it becomes
// part of a link.
//
// The pages link to "homep.html?key=..." beside them, which the browser's
// navigation handler turns into a search on the start page, and post their
// forms to "new_entry.py", "edit_entryp.py" and "edit_delep.py" beside them,
// which the handler carries out locally.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

// An entry as the viewer shows it; every text in UTF-8.
struct ShownEntry {
  std::string id;
  std::string title;
  std::string des;
  std::string keywd;
  std::string date;
  std::string rout;
};

// The words of a keyword line: the pieces between ASCII spaces and
// ideographic spaces (U+3000), empty pieces left out.
std::vector<std::string> SplitKeywords(std::string_view keywd);

// The form for a new entry (title, desc, keywd, rout) posting to
// "new_entry.py", with a link back to the list searched for `back_key`.
std::string NewEntryPage(std::string_view back_key);

// The entry with each keyword a search link. When its id is "-1" the page
// says that the entry could not be saved and shows what was sent; when the id
// is any other decimal number it adds a pre-filled edit form posting to
// "edit_entryp.py" and a delete button posting to "edit_delep.py" after a
// confirmation; with no usable id it shows the entry alone.
std::string EntryPage(const ShownEntry& entry, std::string_view back_key);

// A "not found" page that says `message` and links to the list.
std::string NotFoundPage(std::string_view message);

}  // namespace kelvanis
