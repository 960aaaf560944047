#include "app/ToolWindows.h"

#include "admin/Form1.h"
#include "admin/Form3.h"
#include "admin/frmabout.h"
#include "admin/frmfkj.h"
#include "admin/FrmRigS.h"
#include "admin/FrmSJCJSZ.h"
#include "admin/frmsys.h"
#include "admin/RemoteOpeningCheck.h"
#include "admin/sjkwf2.h"
#include "attendance/Frmkq.h"
#include "attendance/Frmkqzl.h"
#include "attendance/FrmMon.h"
#include "attendance/FrmWTS.h"
#include "cards/FrmDec.h"
#include "cards/FrmEtD.h"
#include "cards/FrmFK.h"
#include "cards/FrmFKXXCX.h"
#include "cards/FrmFKZL.h"
#include "cards/FrmTkcx.h"
#include "doors/FrmCDT.h"
#include "doors/Frmdoors.h"
#include "people/Frmbm.h"
#include "people/Frmxg.h"
#include "records/Form2.h"
#include "records/Frmque.h"
#include "records/FrmssjsN.h"
#include "records/FrmSSXX.h"
#include "records/FrmZDCJ.h"

#include <QWidget>

#include <functional>
#include <map>

namespace {

using Factory = std::function<QWidget*(QWidget*)>;

const std::map<int, Factory>& factories()
{
    static const std::map<int, Factory> f{
        {8, [](QWidget* p) -> QWidget* { return new Frmdoors(p); }},
        {9, [](QWidget* p) -> QWidget* { return new frmsys(p); }},
        {10, [](QWidget* p) -> QWidget* { return new FrmRigS(p); }},
        {16, [](QWidget* p) -> QWidget* { return new Form3(p); }},
        {35, [](QWidget* p) -> QWidget* { return new Form1(p); }},
        {36, [](QWidget* p) -> QWidget* { return new sjkwf2(p); }},
        {6, [](QWidget* p) -> QWidget* { return new Frmspecial(p); }},
        {12, [](QWidget* p) -> QWidget* { return new frmabout(p); }},
        {15, [](QWidget* p) -> QWidget* { return new Frmbm(p); }},
        {18, [](QWidget* p) -> QWidget* { return new Frmxg(p); }},
        {19, [](QWidget* p) -> QWidget* { return new frmfkj(p); }},
        {23, [](QWidget* p) -> QWidget* { return new FrmSJCJSZ(p); }},
        {26, [](QWidget* p) -> QWidget* { return new FrmCDT(p); }},
        {17, [](QWidget* p) -> QWidget* { return new FrmFK(p); }},
        {21, [](QWidget* p) -> QWidget* {
             // A monitor whose port would not open has said so and is not shown.
             auto* w = new FrmssjsN(p);
             if (w->portOpened())
                 return w;
             delete w;
             return nullptr;
         }},
        {34, [](QWidget* p) -> QWidget* { return new FrmSSXX(p); }},
        {27, [](QWidget* p) -> QWidget* { return new Frmque(p); }},
        {28, [](QWidget* p) -> QWidget* { return new Frmkq(p); }},
        {29, [](QWidget* p) -> QWidget* { return new FrmWTS(p); }},
        {30, [](QWidget* p) -> QWidget* { return new FrmMon(p); }},
        {37, [](QWidget* p) -> QWidget* { return new Frmkqzl(p); }},
        {22, [](QWidget* p) -> QWidget* { return new FrmFKXXCX(p); }},
        {33, [](QWidget* p) -> QWidget* { return new FrmTkcx(p); }},
        {20, [](QWidget* p) -> QWidget* { return new Form2(p); }},
        {24, [](QWidget* p) -> QWidget* { return new FrmZDCJ(p); }},
        {25, [](QWidget* p) -> QWidget* { return new FrmFKZL(p); }},
        {31, [](QWidget* p) -> QWidget* { return new FrmDec(p); }},
        {32, [](QWidget* p) -> QWidget* { return new FrmEtD(p); }},
    };
    return f;
}

}  // namespace

namespace ToolWindows {

bool has(int toolId)
{
    return factories().count(toolId) > 0;
}

QWidget* create(int toolId, QWidget* parent)
{
    auto it = factories().find(toolId);
    return it == factories().end() ? nullptr : it->second(parent);
}

}  // namespace ToolWindows
