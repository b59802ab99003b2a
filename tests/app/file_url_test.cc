#include "app/file_url.h"

#include <gtest/gtest.h>

namespace kelvanis {
namespace {

TEST(FileUrlTest, EncodesWhatAUrlCannotHoldRaw) {
  struct Case {
    std::string path;
    std::string url;
  };
  const Case cases[] = {
      {"/opt/kelvanis/page/home.html", "file:///opt/kelvanis/page/home.html"},
      {"/a b/c#d/e%f/g?h/i\\j", "file:///a%20b/c%23d/e%25f/g%3Fh/i%5Cj"},
      {"/\x01\t\x1F\x7F/", "file:///%01%09%1F%7F/"},
      {"/\xE6\x97\xA5\x93\xFA/", "file:///%E6%97%A5%93%FA/"},
      {"/\"<>[]^`{|}/", "file:///%22%3C%3E%5B%5D%5E%60%7B%7C%7D/"},
      {"/a&b=c;d+e~f_g.h-i!$'(),*:@/", "file:///a&b=c;d+e~f_g.h-i!$'(),*:@/"},
      {std::string("/nul\0x", 6), "file:///nul%00x"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
}

}  // namespace
}  // namespace kelvanis
