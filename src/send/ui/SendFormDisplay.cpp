#include "send/ui/SendFormDisplay.h"

#include "common/QtText.h"
#include "send/ui/CGridCtrl.h"
#include "web/CallbackNumbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace qb {
namespace {

void showText(QLineEdit* edit, const std::string& text) {
    const QString q = toQString(text);
    if (edit->text() != q) {
        const QSignalBlocker block(edit);
        edit->setText(q);
    }
}

} // namespace

void SendFormDisplay::showChooser(QComboBox* box, const Chooser& chooser) {
    const QSignalBlocker block(box);
    showItems(box, chooser.items);
    if (box->currentIndex() != chooser.selected)
        box->setCurrentIndex(chooser.selected);
    box->setEnabled(chooser.enabled);
}

void SendFormDisplay::showItems(QComboBox* box, const std::vector<std::string>& items) {
    std::vector<std::string>& shown = m_shownItems[box];
    if (shown == items)
        return;
    box->clear();
    for (const std::string& item : items)
        box->addItem(toQString(item));
    shown = items;
}

void SendFormDisplay::showKoreanTime() {
    const QString note = toQString(SendForm::koreanTimeNote());
    if (m_ui.koreanTime->text() != note)
        m_ui.koreanTime->setText(note);
    m_ui.koreanTime->setVisible(!note.isEmpty());
}

void SendFormDisplay::show(const SendFormState& s, const BalanceLine& balance,
                           const std::string& callbackText, bool sending, bool resumes) {
    m_ui.kindButtons[static_cast<int>(s.kind)]->setChecked(true);
    m_ui.adSwitch->setChecked(s.advertising);
    m_ui.adInsert->setEnabled(s.advertising && !sending);
    if (m_ui.smsBox->toPlainText() != toEditText(s.smsText)) {
        const QSignalBlocker block(m_ui.smsBox);
        m_ui.smsBox->setPlainText(toEditText(s.smsText));
        m_ui.smsBox->moveCursor(QTextCursor::End);
    }
    m_ui.smsBox->setEnabled(s.smsBoxEnabled);
    m_ui.specialChars->setEnabled(s.smsBoxEnabled);
    m_ui.smsCounter->setText(toQString(s.smsCounter));
    for (std::size_t k = 0; k < 4; ++k) {
        m_ui.mergeOn[k]->setChecked(s.mergeOn[k]);
        showChooser(m_ui.mergeColumn[k], s.mergeColumn[k]);
    }

    {
        const QSignalBlocker block(m_ui.callbackBox);
        showItems(m_ui.callbackBox, s.callbackList.items);
        if (m_ui.callbackBox->currentIndex() != s.callbackList.selected)
            m_ui.callbackBox->setCurrentIndex(s.callbackList.selected);
        const QString text = toQString(callbackText);
        if (m_ui.callbackBox->currentText() != text)
            m_ui.callbackBox->setEditText(text);
    }
    m_ui.balanceValue->setText(toQString(balance.balance));
    m_ui.prices->setText(toQString(balance.prices));
    m_ui.counts->setText(toQString(balance.counts));

    m_ui.immediate->setChecked(!s.reserved);
    m_ui.reserved->setChecked(s.reserved);
    {
        const QSignalBlocker block(m_ui.reservationDate);
        const QDate date(s.reservationDate.year, s.reservationDate.month, s.reservationDate.day);
        if (m_ui.reservationDate->date() != date)
            m_ui.reservationDate->setDate(date);
    }
    m_ui.reservationDate->setEnabled(s.reservationDateEnabled);
    showChooser(m_ui.reservationHour, s.reservationHour);
    showChooser(m_ui.reservationMinute, s.reservationMinute);
    showKoreanTime();
    showText(m_ui.rangeFrom, s.rangeFrom);
    showText(m_ui.rangeTo, s.rangeTo);
    m_ui.splitOn->setChecked(s.splitOn);
    showText(m_ui.splitCount, s.splitCount);
    m_ui.splitCount->setEnabled(s.splitCountEnabled);
    showChooser(m_ui.splitMinutes, s.splitMinutes);
    m_ui.dedup->setChecked(s.dedupOn);
    m_ui.selfReject->setChecked(s.rejectOn);

    showChooser(m_ui.delimiterList, s.delimiterList);
    showText(m_ui.delimiterField, s.delimiterField);
    showChooser(m_ui.encodingList, s.encodingList);
    showChooser(m_ui.sheetChooser, s.sheetChooser);
    showText(m_ui.sheetName, s.sheetNameField);
    showChooser(m_ui.numberColumn, s.numberColumn);

    m_ui.preview->setEnabled(s.previewEnabled);
    m_ui.send->setEnabled(s.sendEnabled);
    static const QString sendText = QString::fromUtf8("전송하기"),
                         resumeText = QString::fromUtf8("이어서 전송");
    m_ui.send->setText(resumes ? resumeText : sendText);
    m_ui.stopSend->setEnabled(sending);
    for (QWidget* w : {static_cast<QWidget*>(m_ui.kindButtons[0]), static_cast<QWidget*>(m_ui.kindButtons[1]),
                       static_cast<QWidget*>(m_ui.kindButtons[2]), static_cast<QWidget*>(m_ui.directEntry),
                       static_cast<QWidget*>(m_ui.textFile), static_cast<QWidget*>(m_ui.excelFile),
                       static_cast<QWidget*>(m_ui.deleteRows), static_cast<QWidget*>(m_ui.resetForm)})
        w->setEnabled(!sending);
    m_ui.sheetChooser->setEnabled(s.sheetChooser.enabled && !sending);
    m_ui.grid->sync();
}

} // namespace qb
