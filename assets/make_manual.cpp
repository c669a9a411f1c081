// Makes the manual the Help menu opens: the README's sections for users,
// as one HTML page, so that the program's help works with no network.
//   make_manual README.md manual.html
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QTextDocument>

#include <cstdio>

namespace {

// Sections for whoever builds or changes the program, not for its users.
const QStringList BuildersOnly = {QStringLiteral("Use it"), QStringLiteral("Install it"),
                                  QStringLiteral("The Debian package"), QStringLiteral("Benchmarks"),
                                  QStringLiteral("Layout")};

// The README without the builders' sections: a "## " heading starts a
// section, which runs to the next one. Fenced code keeps its "#" lines.
QString usersPart(const QString& readme)
{
    QStringList kept;
    bool keep = true, fenced = false;
    for (const QString& line : readme.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("```")))
            fenced = !fenced;
        if (!fenced && line.startsWith(QLatin1String("## ")))
            keep = !BuildersOnly.contains(line.mid(3).trimmed());
        if (keep)
            kept << line;
    }
    return kept.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_manual README.md manual.html\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(usersPart(QString::fromUtf8(in.readAll())));
    document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Tabvane Software Manual"));
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(document.toHtml().toUtf8()) < 0) {
        std::fprintf(stderr, "make_manual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
