#include "Response.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

TEST(ResponseTest, AnswerHasExactHeadersAndTwoLfEndedLines) {
    EXPECT_EQ(AnswerResponse("192.0.2.1", "host.example", BodyWanted::Yes),
              "Status: 200 OK\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Cache-Control: no-store\r\n"
              "\r\n"
              "192.0.2.1\nhost.example\n");
}

TEST(ResponseTest, HeadAnswerHasTheSameHeadersAndNoBody) {
    EXPECT_EQ(AnswerResponse("2001:db8::1", "2001:db8::1", BodyWanted::No),
              "Status: 200 OK\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Cache-Control: no-store\r\n"
              "\r\n");
}

TEST(ResponseTest, MethodNotAllowedNamesTheAllowedMethods) {
    EXPECT_EQ(MethodNotAllowedResponse(BodyWanted::Yes),
              "Status: 405 Method Not Allowed\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Cache-Control: no-store\r\n"
              "Allow: GET, HEAD\r\n"
              "\r\n"
              "method not allowed\n");
}

TEST(ResponseTest, ServerErrorHasAFixedBody) {
    EXPECT_EQ(ServerErrorResponse(BodyWanted::Yes),
              "Status: 500 Internal Server Error\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Cache-Control: no-store\r\n"
              "\r\n"
              "no valid client address\n");
    EXPECT_EQ(ServerErrorResponse(BodyWanted::No),
              "Status: 500 Internal Server Error\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Cache-Control: no-store\r\n"
              "\r\n");
}

}  // namespace
}  // namespace ipx
