// The MMS editor against qb-service on loopback: pictures into slots, the
// picture viewer, the body, saving and loading back through the MMS message box.
#include "AccessibleNames.h"
#include "SendViewFixture.h"

#include "common/Clock.h"
#include "common/QtText.h"
#include "common/ui/FileDialog.h"
#include "compose/MmsPictures.h"
#include "compose/ui/CHoverButton.h"
#include "compose/ui/CMMSBodyEdit.h"
#include "compose/ui/CMMSEditDlg.h"
#include "compose/ui/CMMSImageViewDlg.h"
#include "compose/ui/CMMSSendView.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/CViewMMSRMsgScroll.h"
#include "compose/ui/EditorWindowSet.h"
#include "compose/ui/MmsMessageBoxDialog.h"
#include "support/RunUntil.h"
#include "support/TempDir.h"
#include "support/TestClock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Size = mmslayout::Size;

// A JPEG from Qt's own encoder, in two colours so its bytes are not trivial.
std::string writeJpeg(const TempDir& dir, const std::string& name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QPainter(&image).fillRect(0, 0, w / 2, h / 2, QColor(240, 200, 40));
    std::string path = dir.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPG", 90)) << name;
    return path;
}

std::string claimingSize(std::string jpeg, int w, int h) {
    const auto sof = jpeg.find("\xFF\xC0");
    const char size[] = {static_cast<char>(h >> 8), static_cast<char>(h & 0xFF), static_cast<char>(w >> 8),
                         static_cast<char>(w & 0xFF)};
    jpeg.replace(sof + 5, 4, size, 4);
    return jpeg;
}

// Files dragged over a point of `target` and dropped there, delivered to its
// window as the window system delivers them: the window finds the widget that
// takes drops under the point.
void dropOn(QWidget* target, QPoint at, const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(p));
    mime.setUrls(urls);
    QWindow* window = target->window()->windowHandle();
    ASSERT_TRUE(window);
    const QPointF p = target->mapTo(target->window(), at);
    QDragEnterEvent enter(p.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(p, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
}

// The focus as a click gives it: the editor's window becomes active first.
void focusOn(QWidget* w) {
    w->activateWindow();
    w->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(runUntil([&] { return w->hasFocus(); }));
}

Size drawn(const CMMSSendView* view, int k) {
    return view->slotControl(k)->drawnSize();
}

struct MmsFixture : SendViewFixture {
    MmsFixture() {
        view->show();
        find<QAbstractButton>("kindMms")->click();
        editor = view->editorWindows().mmsEditor();
        if (!editor)
            throw std::runtime_error("no MMS editor");
        composition = editor->view();
    }
    // "파일열기" on slot k with the file the dialog returns.
    void open(int k, const std::string& path) {
        FileDialog::setNextFileName(QString::fromStdString(path));
        composition->runSlotAction(k, MmsPictures::Action::Open);
    }
    Strings paths() const {
        Strings out;
        for (const PictureSlot& s : editor->model().pictures().all())
            out.push_back(s.path);
        return out;
    }
    std::string lastText() const { return texts().empty() ? std::string() : texts().back(); }

    TempDir files;
    CMMSEditDlg* editor = nullptr;
    CMMSSendView* composition = nullptr;
};

} // namespace

TEST(MmsEditor, PicturesTakeTheirSlotsFromTheDialogAndFromDropsInOrder) {
    MmsFixture f;
    EXPECT_EQ(f.editor->windowTitle(), u(":::: MMS 문자 편집창"));
    const std::string square = writeJpeg(f.files, "square.jpg", 346, 296);
    const std::string wide = writeJpeg(f.files, "wide.jpeg", 400, 200);
    const std::string tall = writeJpeg(f.files, "tall.JPG", 100, 300);
    const std::string small = writeJpeg(f.files, "small.JPEG", 100, 100);
    const std::string png = writeJpeg(f.files, "photo.png", 50, 50);
    CMMSBodyEdit* body = f.editor->bodyEdit();
    const QPoint middle(80, 70);

    struct Step {
        std::function<void()> act;
        const char* message; // nullptr: taken without a word
    };
    const std::vector<Step> steps{
        {[&] { f.open(2, square); }, "그림화일을 순서대로 선택하세요.!"},
        {[&] { f.open(1, png); }, "지원하지 않는 그림파일 입니다."},
        {[&] { f.open(1, f.files.file("none.jpg")); }, "화일경로가 존재하지 않습니다."},
        {[&] { f.open(1, square); }, nullptr},
        {[&] {
             dropOn(f.composition->slotControl(2), middle, {wide, tall});
         },
         "한개의 파일만 선택해 주세요.!"},
        {[&] {
             // The body lies below the slots: the view is scrolled to it and back.
             QScrollBar* bar = f.composition->verticalScrollBar();
             bar->setValue(bar->maximum());
             dropOn(body, QPoint(80, body->height() - 100), {wide});
             bar->setValue(0);
         },
         "Drag&drop 위치가 잘못되었습니다.!"},
        {[&] { dropOn(f.composition->slotControl(3), middle, {wide}); }, "그림화일을 순서대로 선택하세요.!"},
        {[&] { dropOn(f.composition->slotControl(2), middle, {png}); }, "jpg 그림파일만 지원합니다.!"},
        {[&] { dropOn(f.composition->slotControl(2), middle, {f.files.file("gone.jpg")}); },
         "화일경로가 존재하지 않습니다."},
        {[&] { dropOn(f.composition->slotControl(2), middle, {wide}); }, nullptr},
        {[&] { dropOn(f.composition->slotControl(3), middle, {tall}); }, nullptr},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        f.notifier.clear();
        steps[i].act();
        if (steps[i].message)
            EXPECT_EQ(f.texts(), Strings{steps[i].message}) << "step " << i;
        else
            EXPECT_EQ(f.texts(), Strings{}) << "step " << i;
    }
    EXPECT_EQ(f.paths(), (Strings{square, wide, tall}));
    // The thumbnail fit: by height, by width, by height; a small picture as it is.
    EXPECT_EQ(drawn(f.composition, 1), (Size{173, 148}));
    EXPECT_EQ(drawn(f.composition, 2), (Size{173, 86}));
    EXPECT_EQ(drawn(f.composition, 3), (Size{49, 148}));
    f.open(1, small);
    EXPECT_EQ(drawn(f.composition, 1), (Size{100, 100}));

    // What validation reads: the slots with their pixel sizes.
    const auto content = f.view->editorWindows().mmsWindow();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->pictures[0].width, 100);
    EXPECT_EQ(content->pictures[1].width, 400);
    EXPECT_EQ(content->pictures[1].height, 200);

    // The slot menu, and a delete that leaves slot 3 where it is.
    auto menuTexts = [&](int k) {
        std::unique_ptr<QMenu> menu(f.composition->buildSlotMenu(k, nullptr));
        QStringList out;
        for (QAction* a : menu->actions())
            out << a->text();
        return out;
    };
    EXPECT_EQ(menuTexts(1), (QStringList{u("파일열기"), u("원사이즈보기"), u("그림삭제")}));
    EXPECT_EQ(menuTexts(2), (QStringList{u("파일열기"), u("원사이즈보기"), u("파일삭제")}));
    f.composition->runSlotAction(2, MmsPictures::Action::Delete);
    EXPECT_EQ(f.paths(), (Strings{small, "", tall}));
    EXPECT_FALSE(f.composition->slotControl(2)->hasImage());
    EXPECT_EQ(drawn(f.composition, 3), (Size{49, 148}));
    EXPECT_EQ(menuTexts(2), QStringList{u("파일열기")});

    // The keyboard way: a slot takes the focus, has its name, and Enter or the
    // menu key opens its menu.
    CPictureCtrl* slot = f.composition->slotControl(3);
    EXPECT_EQ(slot->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(slot->accessibleName(), u("그림 3"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Menu}) {
        f.editor->activateWindow();
        slot->setFocus();
        QTest::keyClick(slot, key);
        ASSERT_TRUE(runUntil([] { return QApplication::activePopupWidget() != nullptr; }));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << a->text();
        EXPECT_EQ(texts, menuTexts(3));
        menu->close();
        ASSERT_TRUE(runUntil([] { return QApplication::activePopupWidget() == nullptr; }));
    }
}

TEST(MmsEditor, BadPicturesAreRefusedWithAMessageAndTakeNoSlot) {
    MmsFixture f;
    const std::string good = writeJpeg(f.files, "good.jpg", 300, 200);
    const std::string goodBytes = readFile(good);
    QImage png(40, 40, QImage::Format_RGB32);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(QString::fromStdString(f.files.file("png.jpg")), "PNG"));
    const std::vector<std::pair<std::string, const char*>> cases{
        {f.files.write("huge.jpg", claimingSize(goodBytes, 30000, 30000)), "그림파일이 너무 큽니다.!"},
        {f.files.write("cut.jpg", goodBytes.substr(0, goodBytes.size() * 2 / 3)), "손상된 그림파일 입니다.!"},
        {f.files.file("png.jpg"), "JPG 그림파일이 아닙니다.!"},
        {f.files.write("text.jpg", "not a picture"), "JPG 그림파일이 아닙니다.!"},
    };
    for (const auto& [path, message] : cases) {
        f.notifier.clear();
        f.open(1, path);
        dropOn(f.composition->slotControl(1), QPoint(5, 5), {path});
        EXPECT_EQ(f.texts(), (Strings{message, message})) << path;
        EXPECT_EQ(f.paths(), (Strings{"", "", ""})) << path;
        EXPECT_FALSE(f.composition->slotControl(1)->hasImage()) << path;
    }

    // A picture spoiled after it took its slot is not shown by the viewer either.
    f.notifier.clear();
    f.open(1, good);
    f.files.write("good.jpg", goodBytes.substr(0, 100));
    f.composition->runSlotAction(1, MmsPictures::Action::ViewOriginal);
    EXPECT_EQ(f.texts(), Strings{"손상된 그림파일 입니다.!"});
}

TEST(MmsEditor, TheViewerFitsALargePictureAndShowsItsOwnSizeOnRequest) {
    MmsFixture f;
    AccessibleNamesAudit audit;
    struct Case {
        int w, h;
        bool shrunk;
    };
    const std::vector<Case> cases{{100, 80, false}, {1600, 1200, true}, {2400, 300, true}};
    for (const Case& c : cases) {
        f.open(1, writeJpeg(f.files, std::to_string(c.w) + "x" + std::to_string(c.h) + ".jpg", c.w, c.h));
        std::vector<std::string> seen;
        whenModal<CMMSImageViewDlg>([&](CMMSImageViewDlg& d) {
            // Fitted: whole inside the picture area, touching its edge, in proportion.
            const auto look = [&] {
                QApplication::processEvents();
                const QSize area = d.pictureAreaSize(), shown = d.shownSize();
                const bool whole = shown.width() <= area.width() && shown.height() <= area.height();
                const bool edge = shown.width() == area.width() || shown.height() == area.height();
                const double ratio = double(shown.width()) * c.h / (double(shown.height()) * c.w);
                const bool scrolls =
                    d.scrollArea()->isVisible() && d.scrollArea()->horizontalScrollBar()->maximum() > 0;
                seen.push_back(std::string(d.showsActualSize() ? "100%" : "fit") + (whole ? " whole" : "") +
                               (edge ? " edge" : "") + (std::abs(ratio - 1) < 0.02 ? "" : " skewed") +
                               (shown == QSize(c.w, c.h) ? " own" : "") + (scrolls ? " scrolls" : ""));
            };
            look();
            d.actualSizeButton()->click();
            look();
            d.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
            QTest::keyClick(&d, Qt::Key_0, Qt::ControlModifier);
            d.resize(d.size() / 2);
            look();
            d.close();
        });
        f.composition->runSlotAction(1, MmsPictures::Action::ViewOriginal);
        if (c.shrunk)
            EXPECT_EQ(seen, (Strings{"fit whole edge", "100% own scrolls", "fit whole edge"})) << c.w;
        else
            EXPECT_EQ(seen, (Strings{"fit whole own", "100% whole own", "fit whole own"})) << c.w;
    }
    EXPECT_EQ(f.texts(), Strings{});
    EXPECT_EQ(lines(audit.problems()), "");
}

TEST(MmsEditor, ThePictureDialogOffersEveryJpegSpellingTheSlotsTake) {
    const std::pair<std::string, const char*> filters[] = {
        {MmsPictures::fileFilter(), "JPG화일 (*.jpg) (*.jpg *.jpeg *.JPG *.JPEG);;All Files(*.*) (*)"},
        {"A|*.a; *.b|B|*.b||C|*.c", "A (*.a *.b);;B (*.b)"},
        {"", ""},
    };
    for (const auto& [windows, qt] : filters)
        EXPECT_EQ(fileFilters(windows), u(qt)) << windows;
}

TEST(MmsEditor, TheBodyGrowsFollowsTheCaretAndKeepsItsLimit) {
    MmsFixture f;
    CMMSBodyEdit* body = f.editor->bodyEdit();
    EXPECT_EQ(body->toPlainText(), u(" 내용... "));
    EXPECT_EQ(f.editor->titleEdit()->text(), u(" 제목... "));
    // Tab goes from the title to the body, then to the picture slots.
    focusOn(f.editor->titleEdit());
    QTest::keyClick(f.editor->titleEdit(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), body);
    QTest::keyClick(body, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.composition->slotControl(1));
    QTest::keyClick(f.composition->slotControl(1), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.composition->slotControl(2));
    focusOn(body);
    EXPECT_EQ(body->toPlainText(), "");
    EXPECT_EQ(f.editor->counter()->text(), "0 / 2000 byte");

    // Sixty lines: the body grows past its start and the view scrolls to the caret.
    QString lines;
    for (int i = 1; i <= 60; ++i)
        lines += QString("line %1\n").arg(i);
    QGuiApplication::clipboard()->setText(lines);
    QTest::keyClick(body, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.editor->counter()->text(), QString("%1 / 2000 byte").arg(fromQString(lines).size()));
    EXPECT_GT(body->height(), 60 * QFontMetrics(body->font()).lineSpacing());
    EXPECT_EQ(f.composition->widget()->height(), mmslayout::kBodyTop + body->height());
    const int scrolled = f.composition->verticalScrollBar()->value();
    EXPECT_GT(scrolled, 0);
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_LT(f.composition->verticalScrollBar()->value(), scrolled);

    // A long paste stays whole up to the limit: 1001 syllables keep 1000.
    body->clear();
    QGuiApplication::clipboard()->setText(QString(1001, QChar(0xAC00)));
    QTest::keyClick(body, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(body->toPlainText(), QString(1000, QChar(0xAC00)));
    EXPECT_EQ(f.editor->counter()->text(), "2000 / 2000 byte");
}

TEST(MmsEditor, SavedWithTwoPicturesAndTakenBackThroughTheMessageBox) {
    ClockAt clock({2024, 3, 5, 14, 7, 9});
    MmsFixture f;
    AccessibleNamesAudit audit;
    // Three older messages without pictures: with the new one, two pages.
    // "c" names a picture the service does not have: its place is marked, the message still shows.
    for (const char* title : {"a", "b", "c"})
        f.store().addMessage(
            "tester", qbs::MessageStore::Mms,
            qbs::StoredMessage{0, title, "text", {title == std::string("c") ? "gone.jpg" : "", "", ""}});
    const std::string first = writeJpeg(f.files, "first.jpg", 346, 296);
    const std::string second = writeJpeg(f.files, "second.jpg", 400, 200);
    focusOn(f.editor->titleEdit());
    typeInto(f.editor->titleEdit(), u("봄 소식"));
    focusOn(f.editor->bodyEdit());
    typeInto(f.editor->bodyEdit(), u("안녕하세요\n'봄' 사진입니다"));
    // "특수문자": the palette writes into the body, which had the focus last.
    f.editor->findChild<QPushButton*>("specialChars")->click();
    ASSERT_TRUE(f.editor->palette());
    f.editor->palette()->button(59)->click(); // ★
    f.open(1, first);
    f.open(2, second);
    f.editor->findChild<QPushButton*>("saveMessage")->click();
    EXPECT_EQ(f.texts(), Strings{"[MMS] 메세지 저장완료!"});
    EXPECT_EQ(f.notifier.shown().back().icon, MessageIcon::None);

    const auto all = f.store().messages("tester", qbs::MessageStore::Mms);
    ASSERT_EQ(all.size(), 4u);
    const qbs::StoredMessage& stored = all.back();
    EXPECT_EQ(stored.title, ko("봄 소식"));
    EXPECT_EQ(stored.msg, ko("안녕하세요\n\\'봄\\' 사진입니다★"));
    const std::array<std::string, 3> names{"tester_20240305140709_1.jpg", "tester_20240305140709_2.jpg", ""};
    EXPECT_EQ(stored.img, names);
    EXPECT_EQ(f.store().picture(names[0]), readFile(first));
    EXPECT_EQ(f.store().picture(names[1]), readFile(second));

    // "초기화" asks before title, body and pictures go; "아니요" keeps them.
    f.notifier.clear();
    f.editor->findChild<QPushButton*>("reset")->click();
    EXPECT_EQ(f.texts(), Strings{"작성한 내용이 지워집니다. 계속하시겠습니까?"});
    EXPECT_EQ(f.paths()[0], first);
    EXPECT_EQ(f.editor->titleEdit()->text(), u("봄 소식"));
    // "예", then the message comes back through the box.
    f.notifier.answerNext(true);
    f.editor->findChild<QPushButton*>("reset")->click();
    EXPECT_EQ(f.paths(), (Strings{"", "", ""}));
    EXPECT_FALSE(f.editor->model().text().bodyTouched());
    QString previewBody;
    QStringList pages;
    Size previewPicture;
    whenModal<MmsMessageBoxDialog>([&](MmsMessageBoxDialog& d) {
        ASSERT_TRUE(runUntil([&] { return d.pageShown(); }));
        pages << d.windowTitle() + " " + d.titleEdit(1)->text() + d.titleEdit(2)->text();
        d.findChild<QPushButton*>("next")->click();
        pages << d.windowTitle() + " " + d.titleEdit(1)->text() + d.titleEdit(2)->text();
        d.findChild<QPushButton*>("remove1")->click(); // "a": the page empties, the box goes back
        pages << d.windowTitle() + " " + d.titleEdit(1)->text() + d.titleEdit(2)->text();
        previewBody = d.preview(1)->body()->toPlainText();
        previewPicture = d.preview(1)->picture(2)->drawnSize();
        EXPECT_FALSE(d.preview(1)->picture(3)->hasImage());
        EXPECT_FALSE(d.preview(2)->picture(1)->hasImage());
        EXPECT_TRUE(d.preview(2)->picture(1)->unavailable());
        EXPECT_EQ(d.preview(2)->picture(1)->toolTip(), u("그림을 불러올 수 없습니다."));
        EXPECT_FALSE(d.preview(1)->picture(3)->unavailable());
        d.findChild<QPushButton*>("select1")->click();
    });
    f.editor->findChild<QPushButton*>("loadMessage")->click();
    EXPECT_EQ(pages,
              (QStringList{u("[MMS] 메세지 저장함 - 1 / 2 봄 소식c"), u("[MMS] 메세지 저장함 - 2 / 2 a"),
                           u("[MMS] 메세지 저장함 - 1 / 1 봄 소식c")}));
    EXPECT_EQ(f.store().messages("tester", qbs::MessageStore::Mms).size(), 3u);
    EXPECT_EQ(previewBody, u("안녕하세요\n\\'봄\\' 사진입니다★"));
    EXPECT_EQ(previewPicture, (Size{173, 86}));

    const std::string cache = f.service.workdir() + "/imgtemp/";
    EXPECT_EQ(f.paths(), (Strings{cache + names[0], cache + names[1], ""}));
    EXPECT_EQ(readFile(cache + names[0]), readFile(first));
    EXPECT_EQ(readFile(cache + names[1]), readFile(second));
    EXPECT_EQ(f.editor->titleEdit()->text(), u("봄 소식"));
    EXPECT_TRUE(f.editor->model().text().titleTouched());
    EXPECT_TRUE(f.editor->model().text().bodyTouched());
    EXPECT_EQ(drawn(f.composition, 1), (Size{173, 148}));
    EXPECT_EQ(drawn(f.composition, 2), (Size{173, 86}));
    EXPECT_EQ(f.texts(), (Strings{"작성한 내용이 지워집니다. 계속하시겠습니까?",
                                  "작성한 내용이 지워집니다. 계속하시겠습니까?"}));
    EXPECT_EQ(lines(audit.problems()), "");
}

} // namespace qb::test
