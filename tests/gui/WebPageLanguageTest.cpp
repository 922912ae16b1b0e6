#include "GuiTestSupport.h"

#include "support/RunUntil.h"
#include "views/ui/WebPageView.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

using namespace qb;
using namespace std::chrono_literals;
using test::u;

namespace {

QString pageText(WebPageView& view) {
    QString text;
    bool read = false;
    view.browser()->page()->toPlainText([&](const QString& t) {
        text = t;
        read = true;
    });
    EXPECT_TRUE(test::runUntil([&] { return read; }, 10s));
    return text;
}

} // namespace

// The browser speaks Korean whatever the system's language: it asks the service
// for Korean pages, and its own error page for a service that is down is Korean.
TEST(WebPageLanguage, RequestsAndErrorPagesAreKorean) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QByteArray request;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, [&, s] {
            request += s->readAll();
            if (request.contains("\r\n\r\n")) {
                s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\nConnection: "
                         "close\r\n\r\nok");
                s->disconnectFromHost();
            }
        });
    });
    const QString base = QString("http://127.0.0.1:%1/").arg(server.serverPort());

    WebPageView view;
    view.resize(600, 400);
    view.show();
    int finished = 0;
    QObject::connect(view.browser(), &QWebEngineView::loadFinished, [&](bool) { ++finished; });
    view.navigate(QUrl(base + "ClientNoticeReader.jsp"));
    ASSERT_TRUE(test::runUntil([&] { return finished == 1; }, 20s));
    QByteArray language;
    for (const QByteArray& line : request.split('\n'))
        if (line.toLower().startsWith("accept-language:"))
            language = line.mid(16).trimmed();
    EXPECT_TRUE(language.startsWith("ko-KR")) << request.toStdString();

    server.close(); // the service is down
    view.navigate(QUrl(base + "ClientStatMgrd.jsp"));
    ASSERT_TRUE(test::runUntil([&] { return finished == 2; }, 20s));
    const QStringList lines = pageText(view).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], u("사이트에 연결할 수 없음"));
    EXPECT_EQ(lines[1], u("127.0.0.1에서 연결을 거부했습니다."));
}
