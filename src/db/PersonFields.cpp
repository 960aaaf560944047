#include "db/PersonFields.h"

#include "db/DateText.h"

namespace {

using K = PersonField::Kind;

const PersonField kFields[] = {
    {"卡号", "Tkh", K::Text, &Person::cardNo, true},
    {"姓名", "Txm", K::Text, &Person::name, true},
    {"部门", "Cbm", K::Text, &Person::department, true},
    {"职务", "Tzw", K::Text, &Person::position, true},
    {"身份证号", "Tid", K::Text, &Person::idNumber, true},
    {"照片", "Picture1", K::Photo, &Person::photo, false},
    {"rmno", "Tfh", K::Text, &Person::room, true},
    {"sex", "Csex", K::Text, &Person::sex, true},
    {"birthday", "DTPicker2", K::Date, nullptr, false},
    {"marriage", "Tma", K::Text, &Person::marriage, true},
    {"tel", "Ttel", K::Text, &Person::tel, true},
    {"hukou", "Thukou", K::Text, &Person::hukou, true},
    {"company", "Tcompany", K::Text, &Person::company, true},
    {"fcz", "Tfcz", K::Text, &Person::fcz, true},
    {"nation", "Tnation", K::Text, &Person::nation, true},
    {"spouse", "Tspouse", K::Text, &Person::spouse, true},
    {"ssex", "Cssex", K::Text, &Person::spouseSex, true},
    {"shukou", "Tshukou", K::Text, &Person::spouseHukou, true},
    {"scompany", "Tscompany", K::Text, &Person::spouseCompany, true},
    {"child1", "Tchild1", K::Text, &Person::child1, true},
    {"child2", "Tchild2", K::Text, &Person::child2, true},
    {"child3", "Tchild3", K::Text, &Person::child3, true},
    {"others", "Tother", K::Text, &Person::others, false},
};

}  // namespace

namespace PersonFields {

std::span<const PersonField> all()
{
    return kFields;
}

QStringList columns(bool keptOnly)
{
    QStringList out;
    for (const PersonField& f : kFields)
        if (!keptOnly || f.kept)
            out << QString::fromUtf8(f.column);
    return out;
}

QVariant value(const Person& p, const PersonField& f)
{
    if (f.kind == PersonField::Kind::Date)
        return DateText::bindDate(p.birthday);
    return p.*f.text;
}

void setValue(Person& p, const PersonField& f, const QVariant& stored)
{
    if (f.kind == PersonField::Kind::Date)
        p.birthday = DateText::toDate(stored);
    else
        p.*f.text = stored.isNull() ? QString() : stored.toString();
}

}  // namespace PersonFields
