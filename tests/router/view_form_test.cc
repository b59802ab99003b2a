// The viewer's form body and its date text.
#include <gtest/gtest.h>

#include <ctime>

#include "router/router.h"

namespace kelvanis {
namespace {

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

TEST(ViewDateTextTest, IsPercentEncodedAndZeroPadded) {
  EXPECT_EQ(ViewDateText(LocalTime(2024, 3, 7, 14, 5, 9)), "2024%2F03%2F07%2014%3A05%3A09");
  EXPECT_EQ(ViewDateText(LocalTime(2009, 1, 2, 3, 4, 5)), "2009%2F01%2F02%2003%3A04%3A05");
  EXPECT_EQ(ViewDateText(LocalTime(1999, 12, 31, 23, 59, 0)), "1999%2F12%2F31%2023%3A59%3A00");
}

TEST(ViewFormBodyTest, TakesPostedValuesAsTheyStand) {
  const std::time_t when = LocalTime(2024, 3, 7, 14, 5, 9);
  const std::string date = "2024%2F03%2F07%2014%3A05%3A09";
  struct Case {
    std::string id;
    std::string raw_post;
    std::string body;
  };
  const Case cases[] = {
      {"7", "title=a+b%26c&desc=x%E3%81%82&keywd=k&rout=r",
       "id=7&title=a+b%26c&des=x%E3%81%82&keywd=k&date=" + date + "&rout=r"},
      // Fields in any order; "desc" is sent as "des".
      {"12", "rout=r&keywd=k&desc=d&title=t",
       "id=12&title=t&des=d&keywd=k&date=" + date + "&rout=r"},
      // Absent fields still have their labels.
      {"-1", "", "id=-1&title=&des=&keywd=&date=" + date + "&rout="},
      {"3", "title=x&desc=y", "id=3&title=x&des=y&keywd=&date=" + date + "&rout="},
      // A longer name ending in a field's name is not that field.
      {"4", "subtitle=x&title=y", "id=4&title=y&des=&keywd=&date=" + date + "&rout="},
      // An edited entry's id goes on as posted.
      {"7x%20", "id=7x%20&title=t", "id=7x%20&title=t&des=&keywd=&date=" + date + "&rout="},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ViewFormBody(c.id, c.raw_post, when), c.body) << c.raw_post;
  }
}

TEST(ViewerUrlTest, AppendsWithoutSeparator) {
  EXPECT_EQ(ViewerUrl("kelvanis://site/"), "kelvanis://site/py/p/view.py");
  EXPECT_EQ(ViewerUrl(""), "py/p/view.py");
  EXPECT_EQ(ViewerUrl("http://x.example"), "http://x.examplepy/p/view.py");
}

}  // namespace
}  // namespace kelvanis
