// The embedded browser as the program sees it: one method, Navigate, in a
// plain and a post form, and one event, BeforeNavigate2, raised before every
// navigation of the page or of its frames, also those the program starts.
//
// Implementations: the WebKitGTK adapter (browser/webkit/) and the test
// double (tests/). Nothing outside the adapter includes a WebKit header.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace kelvanis {

class Browser {
 public:
  // url: the navigation's URL as the browser holds it (UTF-8 bytes).
  // post_data: the request body exactly as it will be sent; none for a
  // navigation without a body. cancel: false on entry; set it to stop the
  // navigation. A handler may call Navigate; that navigation raises the
  // event again, possibly before the outer call returns.
  using BeforeNavigate2Handler = std::function<void(
      const std::string& url, const std::optional<std::string>& post_data, bool& cancel)>;

  virtual ~Browser() = default;

  // Starts loading `url` (UTF-8) and returns without waiting for the page.
  virtual void Navigate(const std::string& url) = 0;

  // Starts a POST of `post_data` to `url` with the extra request `headers`
  // ("Name: value\r\n" lines). flags and target_frame_name are always 0.
  virtual void Navigate(const std::string& url, int flags, int target_frame_name,
                        const std::string& post_data, const std::string& headers) = 0;

  void SetOnBeforeNavigate2(BeforeNavigate2Handler handler) {
    on_before_navigate2_ = std::move(handler);
  }

 protected:
  // For implementations: raises the event and returns its cancel flag.
  bool RaiseBeforeNavigate2(const std::string& url, const std::optional<std::string>& post_data) {
    bool cancel = false;
    if (on_before_navigate2_) on_before_navigate2_(url, post_data, cancel);
    return cancel;
  }

 private:
  BeforeNavigate2Handler on_before_navigate2_;
};

}  // namespace kelvanis
