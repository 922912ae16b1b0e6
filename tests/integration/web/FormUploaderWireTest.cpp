#include "RawHttpCapture.h"

#include "common/Cp949.h"
#include "support/TempDir.h"
#include "web/CFormUploader.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <mutex>
#include <thread>

namespace qb::test {
namespace {

// A server with the HTTP library's own multipart parser: a reading of our bodies
// that shares nothing with the code that wrote them.
class MultipartReader {
public:
    struct Part {
        std::string name, fileName, content;
        bool operator==(const Part&) const = default;
    };

    MultipartReader() {
        m_server.Post("/echo", [this](const httplib::Request& req, httplib::Response& res) {
            const std::lock_guard guard(m_lock);
            m_parts.clear();
            for (const auto& [name, part] : req.files)
                m_parts.push_back({name, part.filename, part.content});
            m_contentLength = req.get_header_value("Content-Length");
            res.set_content("ok", "text/plain");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~MultipartReader() {
        while (!m_server.is_running())
            std::this_thread::yield();
        m_server.stop();
        m_thread.join();
    }
    int port() const { return m_port; }
    // Parts sorted by field name (the library keeps them in a map).
    std::vector<Part> parts() const {
        const std::lock_guard guard(m_lock);
        return m_parts;
    }
    std::string contentLength() const {
        const std::lock_guard guard(m_lock);
        return m_contentLength;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_lock;
    std::vector<Part> m_parts;
    std::string m_contentLength;
};

TEST(FormUploaderWire, AnIndependentParserReadsBackEveryPart) {
    TempDir dir;
    const std::string hangul = ko("홍길동 메모");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    binary += "\r\n--HC-MPFD\r\n"; // partial delimiter lookalikes inside a file
    const std::string one = dir.write("one.jpg", binary);
    const std::string two = dir.write("two.bin", std::string(200'000, 'z'));

    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> fields;
        std::vector<std::pair<std::string, std::string>> files; // field name, local path
        std::vector<MultipartReader::Part> parts;
    };
    // A body of the closing line alone has no part for a parser to read; its bytes are checked elsewhere.
    const std::vector<Case> cases{
        {"user id", {{"m_id", "abc"}}, {}, {{"m_id", "", "abc"}}},
        {"Hangul, empty and line breaks",
         {{"m_id", hangul}, {"title", ""}, {"data", "a\r\nb \"q\" c\n"}},
         {},
         {{"data", "", "a\r\nb \"q\" c\n"}, {"m_id", "", hangul}, {"title", "", ""}}},
        {"files after fields",
         {{"m_id", "u"}, {"imgcount", "2"}},
         {{"imgfile1", one}, {"imgfile2", two}},
         {{"imgcount", "", "2"},
          {"imgfile1", "u_20240305140709_01.jpg", binary},
          {"imgfile2", "u_20240305140709_02.jpg", std::string(200'000, 'z')},
          {"m_id", "", "u"}}},
    };
    for (const Case& c : cases) {
        MultipartReader reader;
        CFormUploader u;
        ASSERT_EQ(u.Connect("SMS", "127.0.0.1", reader.port()), upload::kOk);
        for (const auto& [name, value] : c.fields)
            ASSERT_EQ(u.AddField(name, value), upload::kOk);
        int k = 0;
        for (const auto& [name, path] : c.files)
            ASSERT_EQ(u.AddFile(name, "u_20240305140709_0" + std::to_string(++k) + ".jpg", path),
                      upload::kOk);
        const std::uint64_t length = u.bodyLength();
        int status = 0;
        std::string replyBody;
        ASSERT_EQ(u.Send("/echo", &status, &replyBody), upload::kOk) << c.what;
        EXPECT_EQ(status, 200) << c.what;
        EXPECT_EQ(replyBody, "ok") << c.what;
        EXPECT_EQ(reader.parts(), c.parts) << c.what;
        EXPECT_EQ(reader.contentLength(), std::to_string(length)) << c.what;
        EXPECT_EQ(u.partCount(), 0u) << c.what; // a next request starts empty
    }
}

TEST(FormUploaderWire, PartsStayWhenTheSendFails) {
    RawHttpCapture refusing(
        "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    CFormUploader u;
    ASSERT_EQ(u.Connect("SMS", "127.0.0.1", refusing.port()), upload::kOk);
    ASSERT_EQ(u.AddField("m_id", "abc"), upload::kOk);
    int status = 0;
    EXPECT_EQ(u.Send("/setsmsmsg.jsp", &status), upload::kRefusedByServer);
    EXPECT_EQ(status, 500);
    EXPECT_EQ(u.partCount(), 1u);

    CFormUploader down;
    ASSERT_EQ(down.Connect("SMS", "127.0.0.1", deadPort()), upload::kOk);
    ASSERT_EQ(down.AddField("m_id", "abc"), upload::kOk);
    EXPECT_EQ(down.Send("/setsmsmsg.jsp"), 12029);
    EXPECT_EQ(down.partCount(), 1u);
}

TEST(FormUploaderWire, NothingIsSentWhenTheBodyCannotBeBuilt) {
    TempDir dir;
    RawHttpCapture capture;
    const std::string path = dir.write("p.jpg", "12345");
    CFormUploader u;
    ASSERT_EQ(u.Connect("SMS", "127.0.0.1", capture.port()), upload::kOk);
    ASSERT_EQ(u.AddFile("img1", "p.jpg", path), upload::kOk);
    dir.write("p.jpg", "123456789");
    EXPECT_EQ(u.Send("/setmmsmsg.jsp"), upload::kFileOutgrown);
    EXPECT_TRUE(capture.requests().empty());
}

} // namespace
} // namespace qb::test
