#include "web/CFormUploader.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qb {
namespace {

using test::TempDir;

std::string bodyOf(const CFormUploader& u) {
    std::string body;
    EXPECT_EQ(u.assembleBody(body), upload::kOk);
    EXPECT_EQ(body.size(), u.bodyLength());
    return body;
}

TEST(FormUploaderBody, NoPartsIsTheClosingLineAlone) {
    CFormUploader u;
    EXPECT_EQ(bodyOf(u), "----HC-MPFD-BOUNDARY--\r\n");
    EXPECT_EQ(u.bodyLength(), 24u);
}

TEST(FormUploaderBody, OneTextFieldIs98Bytes) {
    CFormUploader u;
    ASSERT_EQ(u.AddField("m_id", "abc"), upload::kOk);
    EXPECT_EQ(bodyOf(u), "----HC-MPFD-BOUNDARY\r\n"
                         "Content-Disposition: form-data; name=\"m_id\"\r\n"
                         "\r\n"
                         "abc\r\n"
                         "----HC-MPFD-BOUNDARY--\r\n");
    EXPECT_EQ(u.bodyLength(), 98u);
}

TEST(FormUploaderBody, TextAndFilePartsInTheOrderAdded) {
    TempDir dir;
    const std::string picture("\xFF\xD8\r\n\0x\xFF\xD9", 8);
    const std::string path = dir.write("any name.bin", picture);
    const std::string hangul = ko("홍길동");
    CFormUploader u;
    ASSERT_EQ(u.AddField("m_id", hangul), upload::kOk);
    ASSERT_EQ(u.AddFile("img1", hangul + "_20240305140709_1.jpg", path), upload::kOk);
    ASSERT_EQ(u.AddField("empty", ""), upload::kOk);
    ASSERT_EQ(u.AddField("raw", "a\r\nb\"c"), upload::kOk);

    const std::string expected = "----HC-MPFD-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"m_id\"\r\n\r\n" +
                                 hangul +
                                 "\r\n"
                                 "----HC-MPFD-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"img1\"; filename=\"" +
                                 hangul +
                                 "_20240305140709_1.jpg\"\r\n"
                                 "Content-Type: application/octet-stream\r\n\r\n" +
                                 picture +
                                 "\r\n"
                                 "----HC-MPFD-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"empty\"\r\n\r\n"
                                 "\r\n"
                                 "----HC-MPFD-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"raw\"\r\n\r\n"
                                 "a\r\nb\"c\r\n"
                                 "----HC-MPFD-BOUNDARY--\r\n";
    EXPECT_EQ(bodyOf(u), expected);
}

TEST(FormUploaderBody, LengthRuleHoldsForEveryMix) {
    TempDir dir;
    struct Case {
        std::vector<std::pair<std::string, std::string>> fields;
        std::vector<std::size_t> fileSizes;
        std::uint64_t length;
    };
    const std::vector<Case> cases{
        {{}, {}, 24},
        {{{"m_id", "abc"}}, {}, 98},
        {{{"m_id", ""}}, {}, 24 + 67 + 4},
        {{{"a", "1"}, {"bb", "22"}}, {}, 24 + 67 + 2 + 67 + 4},
        {{}, {1}, 24 + 120 + 4 + 8 + 1},
        {{{"m_id", "abc"}}, {5000, 1}, 98 + (120 + 4 + 8 + 5000) + (120 + 4 + 8 + 1)},
    };
    for (const Case& c : cases) {
        CFormUploader u;
        for (const auto& [n, v] : c.fields)
            ASSERT_EQ(u.AddField(n, v), upload::kOk);
        int k = 0;
        for (const std::size_t size : c.fileSizes) {
            const std::string path = dir.write("f" + std::to_string(k), std::string(size, 'x'));
            ASSERT_EQ(u.AddFile("img" + std::to_string(++k), "name.jpg", path), upload::kOk);
        }
        EXPECT_EQ(u.bodyLength(), c.length);
        EXPECT_EQ(bodyOf(u).size(), c.length);
    }
}

TEST(FormUploaderBody, ResultCodesOfAddingParts) {
    TempDir dir;
    const std::string picture = dir.write("p.jpg", "jpeg");
    const std::string empty = dir.write("empty.jpg", "");
    const std::string folder = dir.mkdir("folder");
    struct Case {
        const char* what;
        std::string name, fileName, path;
        int rc;
    };
    const std::vector<Case> cases{
        {"no field name", "", "a.jpg", picture, upload::kInvalidParameter},
        {"no file name", "img1", "", picture, upload::kInvalidParameter},
        {"no path", "img1", "a.jpg", "", upload::kInvalidParameter},
        {"no such file", "img1", "a.jpg", dir.file("missing.jpg"), upload::kFileNotFound},
        {"empty file", "img1", "a.jpg", empty, upload::kFileEmpty},
        {"a folder", "img1", "a.jpg", folder, upload::kAccessDenied},
        {"a picture", "img1", "a.jpg", picture, upload::kOk},
    };
    for (const Case& c : cases) {
        CFormUploader u;
        EXPECT_EQ(u.AddFile(c.name, c.fileName, c.path), c.rc) << c.what;
        EXPECT_EQ(u.partCount(), c.rc == upload::kOk ? 1u : 0u) << c.what;
    }
    CFormUploader u;
    EXPECT_EQ(u.AddField("", "v"), upload::kInvalidParameter);
    EXPECT_EQ(u.AddField("n", ""), upload::kOk);
}

TEST(FormUploaderBody, ConnectAndSendPreconditions) {
    CFormUploader u;
    EXPECT_EQ(u.Send("/x.jsp"), upload::kNotConnected);
    EXPECT_EQ(u.Connect("SMS", "", 80), upload::kInvalidParameter);
    EXPECT_EQ(u.Connect("SMS", "host", 0), upload::kInvalidParameter);
    EXPECT_EQ(u.Connect("SMS", "host", 80), upload::kOk);
    EXPECT_EQ(u.Connect("SMS", "host", 80), upload::kAlreadyConnected);
    EXPECT_EQ(u.Send(""), upload::kInvalidParameter);
}

TEST(FormUploaderBody, AFileThatChangedSinceAddingFailsTheBody) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string after; // content at send time; "-" removes the file
        int rc;
    };
    const std::vector<Case> cases{
        {"unchanged", "12345", upload::kOk},
        {"grown", "123456", upload::kFileOutgrown},
        {"shrunk", "1234", upload::kInconsistent},
        {"removed", "-", upload::kFileNotFound},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("pic.jpg", "12345");
        CFormUploader u;
        ASSERT_EQ(u.AddFile("img1", "pic.jpg", path), upload::kOk);
        if (c.after == "-")
            std::filesystem::remove(path);
        else
            dir.write("pic.jpg", c.after);
        std::string body;
        EXPECT_EQ(u.assembleBody(body), c.rc) << c.what;
        // A failed assembly sends nothing, so the part stays for a retry.
        EXPECT_EQ(u.partCount(), 1u) << c.what;
    }
}

} // namespace
} // namespace qb
