#include "FormTestSupport.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

namespace {
Strings utf8(const std::vector<std::string>& cp949) {
    Strings out;
    for (const auto& s : cp949)
        out.push_back(cp949::toUtf8(s));
    return out;
}
} // namespace

TEST(SendForm, StartsResetWithItsDefaults) {
    FormFixture f;
    const SendFormState& s = f.state();
    EXPECT_EQ(s.table.rowCount(), 2);
    EXPECT_EQ(s.table.columnCount(), 1);
    EXPECT_EQ(f.cell(0, 0), " 번호 ");
    EXPECT_EQ(f.cell(1, 0), " 1");
    EXPECT_EQ(s.table.background(0, 0), colours::header);
    EXPECT_EQ(utf8(s.delimiterList.items), (Strings{"구분자없음", ",", ":", ";", "|", "Tab", "CSV"}));
    EXPECT_EQ(utf8(s.encodingList.items), (Strings{"자동", "UTF-8", "CP949", "UTF-16"}));
    EXPECT_EQ(s.delimiterList.selected, 0);
    EXPECT_EQ(utf8(s.sheetChooser.items), Strings{"시트선택"});
    EXPECT_EQ(utf8(s.numberColumn.items), Strings{"수신번호열 선택"});
    EXPECT_TRUE(s.dedupOn);
    EXPECT_TRUE(s.rejectOn);
    EXPECT_EQ(s.kind, MessageKind::Sms);
    EXPECT_EQ(s.smsCounter, "0 / 90 byte");
    EXPECT_FALSE(s.reservationHour.enabled);
    EXPECT_FALSE(s.splitMinutes.enabled);
    EXPECT_FALSE(s.mergeColumn[0].enabled);
    EXPECT_EQ(s.reservationMinute.items.back(), "55");
    EXPECT_EQ(s.reservationHour.items.size(), 24u);
}

TEST(SendForm, DirectEntryCutsAtRunsOfLineBreaks) {
    struct Case {
        const char* text;
        Strings numbers;
    } cases[] = {
        {"01011112222\r\n\r\n01033334444", {"01011112222", "01033334444"}},
        {"\n\r0101\r\r\n0102\n", {"0101", "0102"}},
        {"01099998888", {"01099998888"}},
        {"\r\n", {}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.form.loadDirectEntry(c.text);
        EXPECT_EQ(f.column(1), c.numbers) << c.text;
        // The one column is the number column, chosen by itself.
        EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "수신번호"}));
        EXPECT_EQ(f.state().numberColumn.selected, 1);
        EXPECT_EQ(f.state().table.columnWidth(1), 100);
        EXPECT_EQ(f.state().rangeFrom, "1");
        EXPECT_EQ(f.state().rangeTo, std::to_string(c.numbers.size()));
        EXPECT_EQ(utf8(f.state().numberColumn.items), (Strings{"수신번호열 선택", "1 열"}));
        EXPECT_EQ(utf8(f.state().mergeColumn[3].items), (Strings{"열선택", "1 열"}));
        EXPECT_TRUE(f.notifier.shown().empty());
    }
}

TEST(SendForm, DirectEntryUsesUpTheTransferTextAndAnEmptyOneIsRefused) {
    FormFixture f;
    std::string transfer = "01011112222\r\n01033334444";
    f.form.takeDirectEntry(transfer);
    EXPECT_EQ(transfer, "");
    EXPECT_EQ(f.column(1), (Strings{"01011112222", "01033334444"}));
    // Nothing left for a second take, nothing typed: refused, and the table stays.
    f.form.takeDirectEntry(transfer);
    f.form.loadDirectEntry("");
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>(2, errorBox("전화번호 데이터가 없습니다.")));
    EXPECT_EQ(f.column(1), (Strings{"01011112222", "01033334444"}));
}

TEST(SendForm, TransferTakesTwoFieldsOfEachRecord) {
    FormFixture f;
    f.state().delimiterField = ",";
    f.state().sheetNameField = "Sheet";
    f.form.loadTransferredEntries(ko("\x02\x02홍길동\x04\x04"
                                     "01012345678\x04"
                                     "extra\x02\x02"
                                     "only\x02"));
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "1 열", "수신번호"})); // name, then number
    EXPECT_EQ(f.state().numberColumn.selected, 2);
    EXPECT_EQ(f.column(0), (Strings{"1", "2"}));
    EXPECT_EQ(f.column(1), (Strings{"홍길동", "only"}));
    EXPECT_EQ(f.column(2), (Strings{"01012345678", ""}));
    EXPECT_EQ(f.state().table.background(0, 1), colours::header);
    EXPECT_EQ(f.state().table.background(0, 2), std::nullopt);
    EXPECT_EQ(utf8(f.state().numberColumn.items), (Strings{"수신번호열 선택", "1 열", "2 열"}));
    EXPECT_EQ(f.state().rangeTo, "2");
    EXPECT_EQ(f.state().delimiterField, "");
    EXPECT_EQ(f.state().sheetNameField, "");
}

TEST(SendForm, ATransferredEntryWithoutANameKeepsItsNumberInColumnTwo) {
    FormFixture f;
    f.form.loadTransferredEntries("\x04"
                                  "01011112222\x02"
                                  "Kim\x04"
                                  "01033334444\x02");
    EXPECT_EQ(f.column(1), (Strings{"", "Kim"}));
    EXPECT_EQ(f.column(2), (Strings{"01011112222", "01033334444"}));
}

TEST(SendForm, DeletingRowsKeepsTheOldRowNumbers) {
    struct Case {
        CellRange selection;
        Strings left;
    } cases[] = {
        {{3, 0, 5, 1}, {"1", "2", "6", "7", "8", "9", "10"}},
        {{}, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {{0, 0, 2, 0}, {"3", "4", "5", "6", "7", "8", "9", "10"}},
        {{9, 1, 14, 1}, {"1", "2", "3", "4", "5", "6", "7", "8"}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        std::string text;
        for (int i = 1; i <= 10; ++i)
            text += "0101234567" + std::to_string(i % 10) + "\n";
        f.form.loadDirectEntry(text);
        f.form.deleteSelectedRows(c.selection);
        EXPECT_EQ(f.column(0), c.left);
        EXPECT_EQ(f.state().rangeTo, "10");
    }
}

TEST(SendForm, MarkingTheNumberColumnMovesHeaderAndColour) {
    FormFixture f;
    f.loadRows({{"a", "01011112222"}});
    f.state().table.setColumnCount(4);
    f.state().numberColumn.fill({ko("수신번호열 선택"), ko("1 열"), ko("2 열"), ko("3 열")});
    f.state().numberColumn.select(2);
    f.form.onNumberColumnChanged();
    EXPECT_EQ(f.cell(0, 2), "수신번호");
    EXPECT_EQ(f.state().table.background(1, 2), colours::numberColumn);
    f.state().numberColumn.select(3);
    f.form.onNumberColumnChanged();
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "1 열", "2 열", "수신번호"}));
    EXPECT_EQ(f.state().table.background(1, 2), colours::white);
    EXPECT_EQ(f.state().table.background(1, 3), colours::numberColumn);
    EXPECT_EQ(f.state().table.background(1, 0), std::nullopt);
    f.state().numberColumn.select(0);
    f.form.onNumberColumnChanged();
    EXPECT_EQ(f.cell(0, 3), "3 열");
    EXPECT_EQ(f.state().table.background(1, 3), colours::white);
}

TEST(SendForm, PreviewNumbersAreGroupedBy11And10Bytes) {
    struct Case {
        const char* number;
        const char* shown;
    } cases[] = {
        {"01012345678", "010-1234-5678"},   {"0111234567", "011-123-4567"},
        {"010123456789", "010123456789"},   {"010123456", "010123456"},
        {"010-1234-5678", "010-1234-5678"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendForm::previewNumber(c.number), c.shown);
}

TEST(SendForm, ResetClearsEverythingTheButtonLists) {
    FormFixture f;
    f.state().callbackList.fill({"0212345678", "0311112222"});
    f.state().callbackList.select(1);
    f.loadRows({{"01011112222", "x"}});
    f.state().delimiterList.select(2);
    f.form.imports().onDelimiterChosen();
    f.form.onMessageEdited("hello");
    f.form.onReservedChosen();
    f.state().splitOn = true;
    f.state().splitCount = "10";
    f.form.onSplitSwitch();
    f.state().splitMinutes.select(3);
    f.state().mergeOn[1] = true;
    f.form.onMergeSwitch(2);
    f.state().mergeColumn[1].select(1);
    f.state().dedupOn = false;
    f.state().rejectOn = false;
    f.state().mergeLock = true;

    f.form.resetForm();
    const SendFormState& s = f.state();
    EXPECT_EQ(s.table.rowCount(), 2);
    EXPECT_EQ(f.cell(1, 0), " 1");
    EXPECT_EQ(s.delimiterList.selected, 0);
    EXPECT_EQ(s.delimiterField, "");
    EXPECT_EQ(utf8(s.numberColumn.items), Strings{"수신번호열 선택"});
    EXPECT_TRUE(s.mergeColumn[1].items.empty());
    EXPECT_FALSE(s.mergeColumn[1].enabled);
    EXPECT_EQ(s.mergeOn, (MergeSwitches{}));
    EXPECT_EQ(s.smsText, "");
    EXPECT_EQ(s.smsCounter, "0 / 90 byte");
    EXPECT_EQ(s.rangeFrom, "");
    EXPECT_EQ(s.rangeTo, "");
    EXPECT_FALSE(s.reserved);
    EXPECT_EQ(s.reservationHour.selected, -1);
    EXPECT_FALSE(s.reservationHour.enabled);
    EXPECT_FALSE(s.splitOn);
    EXPECT_EQ(s.splitCount, "");
    EXPECT_EQ(s.splitMinutes.selected, -1);
    EXPECT_FALSE(s.splitCountEnabled);
    EXPECT_TRUE(s.dedupOn);
    EXPECT_TRUE(s.rejectOn);
    EXPECT_FALSE(s.mergeLock);
    EXPECT_EQ(s.callbackList.items.size(), 2u);
}

TEST(SendForm, KindSwitchOpensAndClosesEditorsAndResetsTheForm) {
    struct Case {
        MessageKind kind;
        Strings calls;
        bool boxEnabled;
    } cases[] = {
        {MessageKind::Lms, {"closeMms", "showLms"}, false},
        {MessageKind::Mms, {"closeLms", "showMms"}, false},
        {MessageKind::Sms, {"closeLms", "closeMms"}, true},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        f.form.onMessageEdited("text");
        f.notifier.answerNext(true); // the table and the text go
        f.form.onKindChosen(c.kind);
        EXPECT_EQ(f.editors.calls, c.calls);
        EXPECT_EQ(f.state().kind, c.kind);
        EXPECT_EQ(f.state().smsBoxEnabled, c.boxEnabled);
        EXPECT_EQ(f.state().smsText, "");
        EXPECT_EQ(f.state().table.rowCount(), 2);
    }
    FormFixture f;
    f.form.onKindChosen(MessageKind::Lms);
    f.form.returnToSms();
    EXPECT_EQ(f.state().kind, MessageKind::Sms);
    EXPECT_TRUE(f.state().smsBoxEnabled);
}

TEST(SendForm, MessageBoxKeepsItsCounter) {
    FormFixture f;
    f.form.onMessageEdited(ko("가나") + "\r\n" + std::string(88, 'a'));
    EXPECT_EQ(f.state().smsText, ko("가나") + "\r\n" + std::string(85, 'a'));
    EXPECT_EQ(f.state().smsCounter, "90 / 90 byte");
    f.state().smsText = "ab";
    f.form.onMessageFocused();
    EXPECT_EQ(f.state().smsCounter, "2 / 90 byte");
}

TEST(SendForm, ReservationPreselectsTheCurrentHourAndFiveMinuteStep) {
    struct Case {
        int hour, minute;
        const char* h;
        const char* m;
    } cases[] = {{14, 37, "14", "35"}, {0, 0, "00", "00"}, {23, 59, "23", "55"}, {9, 5, "09", "05"}};
    for (const Case& c : cases) {
        ClockAt clock(fromKorean({2024, 3, 5, c.hour, c.minute, 12}));
        FormFixture f;
        f.form.onReservedChosen();
        EXPECT_EQ(f.state().reservationHour.selectedText(), c.h);
        EXPECT_EQ(f.state().reservationMinute.selectedText(), c.m);
        EXPECT_TRUE(f.state().reservationDateEnabled);
        EXPECT_EQ(f.state().reservationDate.day, 5);
        f.form.onImmediateChosen();
        EXPECT_FALSE(f.state().reservationHour.enabled);
    }
}
