#include "tests/support/fake_browser.h"

namespace kelvanis::testing {

bool FakeBrowser::Run(Navigation navigation) {
  // The record is kept by index: nested navigations grow the vector.
  const size_t index = navigations_.size();
  navigations_.push_back(navigation);
  const bool cancelled = RaiseBeforeNavigate2(navigation.url, navigation.body);
  navigations_[index].cancelled = cancelled;
  navigations_[index].finished = finished_++;
  return cancelled;
}

void FakeBrowser::Navigate(const std::string& url) {
  Run(Navigation{url, std::nullopt, "", false});
}

void FakeBrowser::Navigate(const std::string& url, int /*flags*/, int /*target_frame_name*/,
                           const std::string& post_data, const std::string& headers) {
  Run(Navigation{url, post_data, headers, false});
}

bool FakeBrowser::UserNavigate(const std::string& url, const std::optional<std::string>& body) {
  return Run(Navigation{url, body, "", true});
}

std::vector<Navigation> FakeBrowser::ProgramNavigations() const {
  std::vector<Navigation> result;
  for (const Navigation& navigation : navigations_) {
    if (!navigation.by_user) result.push_back(navigation);
  }
  return result;
}

std::string FakeBrowser::ShownUrl() const {
  // A later navigation replaces an earlier one.
  for (auto it = navigations_.rbegin(); it != navigations_.rend(); ++it) {
    if (!it->cancelled) return it->url;
  }
  return std::string();
}

}  // namespace kelvanis::testing
