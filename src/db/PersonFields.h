#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <span>

// One row of `people`. Texts are stored as the operator typed them; a
// birthday that is not valid is stored as no value.
struct Person {
    QString cardNo;         // 卡号
    QString name;           // 姓名
    QString department;     // 部门
    QString position;       // 职务
    QString idNumber;       // 身份证号
    QString photo;          // 照片: full path of the picture file
    QString room;           // rmno
    QString sex;            // sex
    QDate birthday;         // birthday
    QString marriage;       // marriage
    QString tel;            // tel
    QString hukou;          // hukou: household registration
    QString company;        // company
    QString fcz;            // fcz: property certificate
    QString nation;         // nation
    QString spouse;         // spouse
    QString spouseSex;      // ssex
    QString spouseHukou;    // shukou
    QString spouseCompany;  // scompany
    QString child1, child2, child3;
    QString others;         // others
};

// A person's fields: the column of `people` (and of `peoplept`, and of
// `dpeople` where the history keeps it), the member of Person and the
// control of the personnel window that shows it. The schema, the
// personnel service, the history copies and the window all read this one
// table, so a field cannot go to one column here and another there.
struct PersonField {
    enum class Kind { Text, Date, Photo };
    const char* column;
    const char* control;      // object name in the personnel window
    Kind kind;
    QString Person::*text;    // the member of a Text or Photo field
    bool kept;                // copied into dpeople when the person goes
};

namespace PersonFields {

// The 22 fields a person is typed into, and the photo, in the column order
// of `people`.
std::span<const PersonField> all();

// The columns, in that order; `keptOnly` gives those `dpeople` keeps.
QStringList columns(bool keptOnly = false);

// The value a field binds to a statement (a date as text, or Null).
QVariant value(const Person& p, const PersonField& f);
// Sets the field from the stored value (Null as an empty text).
void setValue(Person& p, const PersonField& f, const QVariant& stored);

inline const char* kCardNo = "卡号";

}  // namespace PersonFields
