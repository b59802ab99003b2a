// A browser for tests: records every navigation and raises BeforeNavigate2
// synchronously for each, so a navigation started inside the handler
// re-enters it before the outer call returns, as the real control may.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "browser/browser.h"

namespace kelvanis::testing {

struct Navigation {
  std::string url;
  std::optional<std::string> body;  // none for a plain navigation
  std::string headers;
  bool by_user = false;    // played by the test, not started through Navigate
  bool cancelled = false;  // set when the handler returned
  int finished = -1;       // order in which the handlers returned, from 0
};

class FakeBrowser : public Browser {
 public:
  void Navigate(const std::string& url) override;
  void Navigate(const std::string& url, int flags, int target_frame_name,
                const std::string& post_data, const std::string& headers) override;

  // Plays a navigation the user started (a link, a typed address, a form):
  // raises BeforeNavigate2 and returns whether the handler cancelled it.
  bool UserNavigate(const std::string& url, const std::optional<std::string>& body = std::nullopt);

  // Every navigation so far, in the order they were started.
  const std::vector<Navigation>& navigations() const { return navigations_; }
  // The navigations started through Navigate, in order.
  std::vector<Navigation> ProgramNavigations() const;
  // The URL of the last started navigation that was not cancelled ("" when
  // none): what the browser shows.
  std::string ShownUrl() const;
  void Clear() {
    navigations_.clear();
    finished_ = 0;
  }

 private:
  bool Run(Navigation navigation);

  std::vector<Navigation> navigations_;
  int finished_ = 0;
};

}  // namespace kelvanis::testing
