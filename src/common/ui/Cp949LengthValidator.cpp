#include "common/ui/Cp949LengthValidator.h"

#include "common/Cp949.h"

namespace qb {

Cp949LengthValidator::Cp949LengthValidator(std::size_t maxBytes, QObject* parent)
    : QValidator(parent), m_maxBytes(maxBytes) {}

QValidator::State Cp949LengthValidator::validate(QString& input, int&) const {
    const cp949::Conversion c = cp949::fromUtf8(input.toStdString());
    if (!c.ok() || c.text.size() > m_maxBytes)
        return Invalid;
    return Acceptable;
}

} // namespace qb
