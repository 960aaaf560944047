#include "reports/ReportTemplate.h"

#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// The templates are compiled into a static library, whose resources the
// linker would drop unless something refers to them.
static void initBuiltInTemplates()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(reports);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

const char* kResourceFolder = ":/reports";

QStringList threeParts(const QString& value)
{
    QStringList parts = value.split(QLatin1Char('|'));
    for (QString& p : parts)
        p = p.trimmed();
    while (parts.size() < 3)
        parts << QString();
    return parts;
}

std::optional<Qt::Alignment> alignmentOf(const QString& word)
{
    const QString w = word.trimmed().toLower();
    if (w.isEmpty() || w == QLatin1String("left"))
        return Qt::AlignLeft;
    if (w == QLatin1String("center") || w == QLatin1String("centre"))
        return Qt::AlignHCenter;
    if (w == QLatin1String("right"))
        return Qt::AlignRight;
    return std::nullopt;
}

TemplateLoad broken(int line, const QString& what)
{
    TemplateLoad r;
    r.problem = TemplateLoad::Problem::Broken;
    r.detail = line > 0 ? QStringLiteral("第 %1 行：%2").arg(line).arg(what) : what;
    return r;
}

}  // namespace

namespace ReportTemplates {

TemplateLoad parse(const QString& text, const QString& name, const QString& source)
{
    ReportTemplate t;
    t.name = name;
    t.source = source;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines.at(i).trimmed();
        if (line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return broken(lineNo, QStringLiteral("缺少“=”"));
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("title")) {
            t.title = value;
        } else if (key == QLatin1String("orientation")) {
            const QString v = value.toLower();
            if (v == QLatin1String("portrait"))
                t.orientation = QPageLayout::Portrait;
            else if (v == QLatin1String("landscape"))
                t.orientation = QPageLayout::Landscape;
            else
                return broken(lineNo, QStringLiteral("纸张方向“%1”无效").arg(value));
        } else if (key == QLatin1String("font-size")) {
            bool ok = false;
            const double size = value.toDouble(&ok);
            if (!ok || size < 4 || size > 72)
                return broken(lineNo, QStringLiteral("字号“%1”无效").arg(value));
            t.fontSize = size;
        } else if (key == QLatin1String("header")) {
            t.header = threeParts(value);
        } else if (key == QLatin1String("footer")) {
            t.footer = threeParts(value);
        } else if (key == QLatin1String("column")) {
            const QStringList parts = threeParts(value);
            if (parts.size() > 5)
                return broken(lineNo, QStringLiteral("列应写作“标题 | 字段 | 宽度 | 对齐 | 小数位”"));
            ReportColumn c;
            c.caption = parts.at(0);
            c.field = parts.at(1);
            if (c.field.isEmpty())
                return broken(lineNo, QStringLiteral("列没有字段"));
            bool ok = false;
            c.width = parts.at(2).toDouble(&ok);
            if (!ok || c.width <= 0)
                return broken(lineNo, QStringLiteral("列宽“%1”无效").arg(parts.at(2)));
            const auto align = alignmentOf(parts.value(3));
            if (!align)
                return broken(lineNo, QStringLiteral("对齐方式“%1”无效").arg(parts.value(3)));
            c.alignment = *align;
            if (!parts.value(4).isEmpty()) {
                c.decimals = parts.at(4).toInt(&ok);
                if (!ok || c.decimals < 0 || c.decimals > 6)
                    return broken(lineNo, QStringLiteral("小数位“%1”无效").arg(parts.at(4)));
            }
            t.columns << c;
        } else {
            return broken(lineNo, QStringLiteral("未知的设置“%1”").arg(key));
        }
    }
    if (t.columns.isEmpty())
        return broken(0, QStringLiteral("模板中没有任何列"));
    TemplateLoad r;
    r.report = t;
    return r;
}

QString builtIn(const QString& name)
{
    initBuiltInTemplates();
    const QDir dir(QString::fromLatin1(kResourceFolder));
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    }
    return QString();
}

TemplateLoad load(const QString& name)
{
    QString path = ProgramFolder::path().isEmpty() ? QString() : ProgramFolder::file(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        path = builtIn(name);
    if (path.isEmpty()) {
        TemplateLoad r;
        r.problem = TemplateLoad::Problem::Missing;
        r.detail = QStringLiteral("找不到报表模板“%1”").arg(name);
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        TemplateLoad r;
        r.problem = TemplateLoad::Problem::Missing;
        r.detail = QStringLiteral("无法读取报表模板“%1”：%2").arg(path, f.errorString());
        return r;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return broken(0, QStringLiteral("报表模板“%1”不是 UTF-8 文本").arg(path));
    TemplateLoad r = parse(text, name, path);
    if (!r.ok())
        r.detail = QStringLiteral("报表模板“%1”有误，%2").arg(path, r.detail);
    return r;
}

}  // namespace ReportTemplates
