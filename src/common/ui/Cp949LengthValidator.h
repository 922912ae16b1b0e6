#pragma once

#include <QValidator>

#include <cstddef>

// Keeps an edit box within a number of CP949 bytes (a Hangul syllable counts two)
// and refuses characters that have no CP949 form, which would otherwise reach
// the server as '?'.
namespace qb {

class Cp949LengthValidator : public QValidator {
    Q_OBJECT

public:
    Cp949LengthValidator(std::size_t maxBytes, QObject* parent);

    State validate(QString& input, int& pos) const override;
    std::size_t maxBytes() const { return m_maxBytes; }

private:
    std::size_t m_maxBytes;
};

} // namespace qb
