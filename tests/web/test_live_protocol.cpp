#include "web/CScanRateMeter.h"
#include "web/HttpRequest.h"
#include "web/LiveRoutes.h"
#include "web/WebSocketFrame.h"

#include <gtest/gtest.h>

namespace {

HttpParse Parse(const QByteArray& text, HttpRequest& request)
{
    qsizetype used = 0;
    return ParseHttpRequest(text, request, used);
}

TEST(HttpRequestTest, TakesAGetAndItsUpgradeHeadersInAnyCase)
{
    HttpRequest r;
    ASSERT_EQ(
        Parse("GET /abc/socket?x=1 HTTP/1.1\r\nhost: a\r\nUPGRADE: WebSocket\r\n"
              "connection: keep-alive, Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
              "Sec-WebSocket-Version: 13\r\n\r\n",
              r),
        HttpParse::Ok);
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.path, "/abc/socket");
    EXPECT_EQ(r.target, "/abc/socket?x=1");
    EXPECT_TRUE(r.upgradeWebSocket);
    EXPECT_EQ(r.webSocketVersion, 13);
    EXPECT_EQ(WebSocketAccept(r.webSocketKey), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
}

TEST(HttpRequestTest, RejectsMalformedHeadsBodiesAndOverlongOnes)
{
    HttpRequest r;
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nHost: a\r\n", r), HttpParse::Incomplete);
    EXPECT_EQ(Parse("GET / HTTP/1.1\nHost: a\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET  / HTTP/1.1\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET relative HTTP/1.1\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET / HTTP/2\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nno colon\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", r), HttpParse::Bad);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", r), HttpParse::Ok);
    const QByteArray longHead =
        "GET / HTTP/1.1\r\nX: " + QByteArray(kMaxHttpHead, 'a') + "\r\n\r\n";
    EXPECT_EQ(Parse(longHead, r), HttpParse::TooLarge);
    EXPECT_EQ(Parse(longHead.left(kMaxHttpHead + 1), r), HttpParse::TooLarge);
}

TEST(LiveRoutesTest, OnlyTheExactTokenOpensTheFixedRoutes)
{
    const QByteArray token = NewLiveToken();
    ASSERT_TRUE(IsValidLiveToken(token));
    EXPECT_NE(NewLiveToken(), token);
    QByteArray wrong = token;
    wrong[31] = wrong[31] == '0' ? '1' : '0';
    EXPECT_EQ(MatchLiveRoute("/" + token + "/", token), LiveRoute::Page);
    EXPECT_EQ(MatchLiveRoute("/" + token + "/live.js", token), LiveRoute::Script);
    EXPECT_EQ(MatchLiveRoute("/" + token + "/live.css", token), LiveRoute::Style);
    EXPECT_EQ(MatchLiveRoute("/" + token + "/socket", token), LiveRoute::Socket);
    EXPECT_EQ(MatchLiveRoute("/" + token + "/../etc/passwd", token), LiveRoute::NotFound);
    EXPECT_EQ(MatchLiveRoute("/" + token, token), LiveRoute::NotFound);
    EXPECT_EQ(MatchLiveRoute("/" + wrong + "/", token), LiveRoute::Forbidden);
    EXPECT_EQ(MatchLiveRoute("/" + token.left(31) + "/", token), LiveRoute::Forbidden);
    EXPECT_EQ(MatchLiveRoute("/", token), LiveRoute::Forbidden);
    EXPECT_EQ(MatchLiveRoute("/x/", QByteArray()), LiveRoute::Forbidden);
    EXPECT_FALSE(IsValidLiveToken(token.toUpper().left(31) + "G"));
}

TEST(LiveRoutesTest, ViewerRequestsAreFollowOrShowOfAPositiveId)
{
    EXPECT_EQ(ParseViewerRequest("follow").kind, ViewerRequest::Kind::Follow);
    const ViewerRequest show = ParseViewerRequest("show 12");
    EXPECT_EQ(show.kind, ViewerRequest::Kind::Show);
    EXPECT_EQ(show.patternId, 12);
    for (const char* bad : {"show", "show ", "show 0", "show -1", "show 1x", "show 9999999999",
                            "Follow", "show  1", ""})
        EXPECT_EQ(ParseViewerRequest(bad).kind, ViewerRequest::Kind::Invalid) << bad;
}

QByteArray Masked(std::uint8_t first, const QByteArray& payload)
{
    QByteArray out;
    out.append(static_cast<char>(first));
    const char mask[4] = {1, 2, 3, 4};
    if (payload.size() < 126) {
        out.append(static_cast<char>(0x80 | payload.size()));
    } else {
        out.append(static_cast<char>(0x80 | 126));
        out.append(static_cast<char>(payload.size() >> 8));
        out.append(static_cast<char>(payload.size() & 0xFF));
    }
    out.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        out.append(static_cast<char>(payload[i] ^ mask[i % 4]));
    return out;
}

TEST(WebSocketFrameTest, DecodesMaskedFramesAndRefusesWhatABrowserNeverSends)
{
    WsFrame f;
    qsizetype used = 0;
    const QByteArray text = Masked(0x81, "show 3");
    ASSERT_EQ(DecodeWebSocketFrame(text + "tail", 256, f, used), WsParse::Ok);
    EXPECT_EQ(used, text.size());
    EXPECT_EQ(f.payload, "show 3");
    EXPECT_EQ(DecodeWebSocketFrame(text.left(text.size() - 1), 256, f, used), WsParse::Incomplete);
    QByteArray unmasked = text;
    unmasked[1] = static_cast<char>(unmasked[1] & 0x7F);
    EXPECT_EQ(DecodeWebSocketFrame(unmasked, 256, f, used), WsParse::Bad);
    EXPECT_EQ(DecodeWebSocketFrame(Masked(0x01, "frag"), 256, f, used), WsParse::Bad);
    EXPECT_EQ(DecodeWebSocketFrame(Masked(0xC1, "rsv"), 256, f, used), WsParse::Bad);
    EXPECT_EQ(DecodeWebSocketFrame(Masked(0x83, "op"), 256, f, used), WsParse::Bad);
    EXPECT_EQ(DecodeWebSocketFrame(Masked(0x81, QByteArray(300, 'a')), 256, f, used),
              WsParse::TooLarge);
    EXPECT_EQ(DecodeWebSocketFrame(Masked(0x89, QByteArray(200, 'a')), 1000, f, used),
              WsParse::Bad);
    // The server's frames: each length form.
    for (const int size : {0, 125, 126, 65535, 65536}) {
        const QByteArray frame = EncodeWebSocketFrame(WsOpcode::Binary, QByteArray(size, 'x'));
        const int header = size < 126 ? 2 : size <= 65535 ? 4 : 10;
        EXPECT_EQ(frame.size(), size + header) << size;
        EXPECT_EQ(static_cast<std::uint8_t>(frame[0]), 0x82);
    }
}

TEST(ScanRateMeterTest, RateAndEndFromTheLastSeconds)
{
    CScanRateMeter meter(10000);
    meter.Sample(0, 0);
    meter.Sample(500, 100);
    EXPECT_EQ(meter.Rate(), 0.0); // less than a second seen
    EXPECT_EQ(meter.EndMs(100), -1);
    meter.Sample(2000, 1000);
    EXPECT_DOUBLE_EQ(meter.Rate(), 500.0);
    EXPECT_EQ(meter.EndMs(1000), 4000);
    EXPECT_EQ(meter.EndMs(0), -1);
    // Only the last ten seconds count.
    meter.Sample(20000, 1000);
    meter.Sample(30000, 6000);
    EXPECT_DOUBLE_EQ(meter.Rate(), 500.0);
    // A count that goes down is a new scan.
    meter.Sample(31000, 10);
    EXPECT_EQ(meter.Rate(), 0.0);
}

} // namespace
