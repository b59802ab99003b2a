// How WebKitGTK sends a form post the program composed. It has no call that
// loads a request with a method and a body, so the adapter runs a script
// that builds a form of the body's pairs and submits it to the target URL,
// in the current page or in a page of its own; the browser then issues a
// real POST with Content-Type application/x-www-form-urlencoded.
//
// The form declares windows-1252 as its character set, in which every byte
// is one character, so every name and value arrives as exactly the bytes
// it decodes to in the given body (UTF-8 or not). Limits, all of them the
// browser's rules for form data: a pair with an empty name is dropped;
// a lone CR or LF in a name or value is sent as CR LF; empty pieces
// between "&"s are dropped; escapes may be re-spelled ("%20" becomes "+").
#pragma once

#include <string>

namespace kelvanis {

// A script that adds a hidden form of the pairs of `body` to the current
// document and submits it to `url` in the same frame.
std::string BuildPostScript(const std::string& url, const std::string& body);

// The HTML (UTF-8) of a page that runs BuildPostScript as it is parsed.
// Submitted while loading, the form replaces this page in the history.
std::string BuildPostPage(const std::string& url, const std::string& body);

}  // namespace kelvanis
