// The response-header parsers: the status code of every status line and the complete length of
// a Content-Range, over tables of lines as servers send them.
#include "net/tvHttpHeaderParse.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tolvane;

TEST(HttpHeaderParse, StatusLinesOfEveryVersionAndNothingElse)
{
    const struct {
        const char* Line;
        int Code;
    } Cases[] = {
        {"HTTP/1.1 200 OK\r\n", 200},
        {"HTTP/1.0 206 Partial Content\r\n", 206},
        {"HTTP/2 200 \r\n", 200},
        {"HTTP/2 416\r\n", 416},
        {"HTTP/3 302", 302},
        {"HTTP/1.1 500 Error 2001\r\n", 500},  // a reason holding "200" is no success
        {"HTTP/1.1 100 Continue\r\n", 100},
        {"HTTP/1.1  404  Not Found\r\n", 404},
        {"HTTP/1.1 2000 OK\r\n", -1},
        {"HTTP/1.1 20\r\n", -1},
        {"HTTP/1.1 2x0 OK\r\n", -1},
        {"HTTP/ 200 OK\r\n", -1},
        {"HTTP/1.1200 OK\r\n", -1},
        {"http/1.1 200 OK\r\n", -1},
        {"X-Was: HTTP/1.1 200 OK\r\n", -1},
        {"Content-Length: 200\r\n", -1},
        {"\r\n", -1},
        {"", -1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        EXPECT_EQ(Net::ParseStatusLine(Case.Line, std::strlen(Case.Line)), Case.Code);
    }
    // Only the given bytes are read: a line cut before its code is no status line.
    EXPECT_EQ(Net::ParseStatusLine("HTTP/1.1 200 OK", 11), -1);
    EXPECT_EQ(Net::ParseStatusLine("HTTP/1.1 200 OK", 12), 200);
    EXPECT_EQ(Net::ParseStatusLine(nullptr, 5), -1);
    EXPECT_TRUE(Net::IsSuccessStatus(200) && Net::IsSuccessStatus(206));
    EXPECT_FALSE(Net::IsSuccessStatus(199) || Net::IsSuccessStatus(207) || Net::IsSuccessStatus(416));
}

TEST(HttpHeaderParse, ContentRangeTotals)
{
    const struct {
        const char* Line;
        long long Total;
    } Cases[] = {
        {"Content-Range: bytes */1048613\r\n", 1048613},
        {"content-range: bytes 0-99/3221225472\r\n", 3221225472LL},
        {"CONTENT-RANGE:bytes 5-9/10", 10},
        {"Content-Range: bytes 0-99/*\r\n", -1},
        {"Content-Range: bytes 0-99/12x\r\n", -1},
        {"Content-Range: items 0-1/2\r\n", -1},
        {"Content-Range: bytes */99999999999999999999\r\n", -1},
        {"Content-Range: bytes */9223372036854775807\r\n", 9223372036854775807LL},
        {"Content-Length: 10\r\n", -1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        EXPECT_EQ(Net::ParseContentRangeTotal(Case.Line, std::strlen(Case.Line)), Case.Total);
    }
}
