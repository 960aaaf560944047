#pragma once
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <optional>

// A report template in the program's own text format, one setting a line:
//
//   # a comment
//   title       = 业主信息表
//   orientation = landscape            (or portrait)
//   font-size   = 9                    (points)
//   header      = left | centre | right
//   footer      = left | centre | right
//   column      = caption | field | width | left|center|right | decimals
//
// Columns share the printable width in proportion to their widths. Header
// and footer texts may hold {title}, {page}, {pages}, {count} (rows),
// {date} and {time}. A column with decimals prints its numbers with that
// many places ("8.00"); other texts in it print as they are. The built-in templates are compiled in under
// :/reports; a file of the same name in the program folder (any case)
// takes their place, so an installation can change a report's layout.
struct ReportColumn {
    QString caption;
    QString field;
    double width = 1;
    Qt::Alignment alignment = Qt::AlignLeft;
    int decimals = -1;   // none: numbers print as stored
};

struct ReportTemplate {
    QString name;     // the name it was asked for, e.g. "pl.rpt"
    QString source;   // the file or resource it was read from
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double fontSize = 9;
    QStringList header{QString(), QString(), QString()};
    QStringList footer{QString(), QString(), QString()};
    QList<ReportColumn> columns;
};

struct TemplateLoad {
    enum class Problem { None, Missing, Broken };
    std::optional<ReportTemplate> report;
    Problem problem = Problem::None;
    QString detail;   // what is wrong, for the operator
    bool ok() const { return report.has_value(); }
};

namespace ReportTemplates {

// Reads a template from its text; `name` and `source` only label it.
TemplateLoad parse(const QString& text, const QString& name, const QString& source = QString());

// The program folder's file of that name when there is one, else the
// built-in template.
TemplateLoad load(const QString& name);

// The resource path of the built-in template, or empty when none.
QString builtIn(const QString& name);

}  // namespace ReportTemplates
