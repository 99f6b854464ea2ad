#pragma once

// MEdiGebDat, the date-of-birth field.

#include <QLineEdit>

namespace kennfix {

class DateOfBirthEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateOfBirthEdit(QWidget* parent = nullptr);

    // Always 8 characters: day, separator, month, separator, two-digit year,
    // with a blank in every position left empty ("  .  .  " when untouched).
    QString fieldText() const;
};

}  // namespace kennfix
