#include "EnvironmentValues.h"

#include <gtest/gtest.h>

#include <string>

namespace ipx {
namespace {

TEST(EnvironmentValuesTest, GivesEveryValueOfTheNameInOrder) {
    std::string entries[] = {"HTTP_X_FORWARDED_FOR=6.6.6.6",  "HTTP_X_FORWARDED_FOR_X=1",
                             "X_HTTP_X_FORWARDED_FOR=2",      "HTTP_X_FORWARDED_FOR",
                             "HTTP_X_FORWARDED_FOR=",         "REMOTE_ADDR=127.0.0.1",
                             "HTTP_X_FORWARDED_FOR=192.0.2.1=x"};
    std::vector<char*> list;
    for (std::string& entry : entries) {
        list.push_back(entry.data());
    }
    list.push_back(nullptr);
    EXPECT_EQ(EnvironmentValues(list.data(), "HTTP_X_FORWARDED_FOR"),
              (std::vector<std::string_view>{"6.6.6.6", "", "192.0.2.1=x"}));
    EXPECT_EQ(EnvironmentValues(list.data(), "REMOTE_ADDR"),
              std::vector<std::string_view>{"127.0.0.1"});
    EXPECT_TRUE(EnvironmentValues(list.data(), "HTTP_HOST").empty());
    EXPECT_TRUE(EnvironmentValues(nullptr, "HTTP_HOST").empty());
}

}  // namespace
}  // namespace ipx
