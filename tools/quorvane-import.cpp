// quorvane-import [options] INPUT OUTPUT: builds an idiom database (cy.mdb) from a .tsv or
// .json file, or adds to one the idioms it lacks, and says which records look doubtful.

#include "platform/QuorvaneError.h"
#include "tools/IdiomImport.h"
#include "tools/IdiomMerge.h"
#include "tools/ImportTarget.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <optional>

#include <unistd.h>

using namespace quorvane;

namespace {
void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString usage() {
    return QStringLiteral(
        "用法：quorvane-import [选项] 输入文件 输出文件\n"
        "  输入文件：.tsv（表头为 代码、成语、拼音、解释、示例、近义、反义、出处、典故）"
        "或 .json（word、pinyin、abbreviation、explanation、example、derivation）\n"
        "  输出文件：要生成的成语数据库，例如 cy.mdb\n"
        "每条成语都会检查：代码是否为拼音各音节的首字母，拼音是否都是普通话音节，"
        "成语是否重复，音节数与字数是否相同。有疑问的只提示，照样导入。\n"
        "选项：\n"
        "  --merge         只把词典中没有的成语加进输出文件，已有的成语（包括自己改过的）保持原样；"
        "不加此选项时输出文件整个换成输入的成语\n"
        "  --fix-codes     代码与拼音不符时，按拼音的首字母改正代码\n"
        "  --strict        有任何疑问就停止，不写入任何文件\n"
        "  --report 文件   把有疑问的记录写成 TSV 文件，可用电子表格打开\n"
        "  --help          显示本说明\n"
        "  --version       显示版本\n");
}

struct Options {
    bool fixCodes = false;
    bool strict = false;
    bool merge = false;
    bool help = false;
    bool version = false;
    QString report;
    QStringList files;
};

// Options may stand anywhere; "--" ends them. Returns an error text for a bad command line.
std::optional<QString> parse(const QStringList& arguments, Options& options) {
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            options.files << argument;
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"--fix-codes") {
            options.fixCodes = true;
        } else if (argument == u"--merge") {
            options.merge = true;
        } else if (argument == u"--strict") {
            options.strict = true;
        } else if (argument == u"--help" || argument == u"-h") {
            options.help = true;
        } else if (argument == u"--version") {
            options.version = true;
        } else if (argument == u"--report") {
            if (++i == arguments.size())
                return QStringLiteral("选项“--report”后面缺少文件名");
            options.report = arguments.at(i);
        } else if (argument.startsWith(u"--report=")) {
            options.report = argument.mid(9);
            if (options.report.isEmpty())
                return QStringLiteral("选项“--report”后面缺少文件名");
        } else {
            return QStringLiteral("未知的选项“%1”").arg(argument);
        }
    }
    if (!options.help && !options.version && options.files.size() != 2)
        return QStringLiteral("需要一个输入文件和一个输出文件");
    return std::nullopt;
}

void printFindings(const IdiomImport::Prepared& prepared) {
    QString text;
    for (const IdiomCheck::Finding& finding : prepared.check.findings)
        text +=
            QStringLiteral("%1（%2）：%3\n")
                .arg(IdiomImport::placeText(prepared.format, finding.record),
                     prepared.entries[size_t(finding.record)].text(Column::Idiom), finding.text);
    if (!text.isEmpty())
        print(stderr, text);
}

QString summary(const IdiomImport::Prepared& prepared) {
    return QStringLiteral("共 %1 条成语，%2 条有疑问\n")
        .arg(QString::number(prepared.entries.size()), QString::number(prepared.check.doubtful));
}
} // namespace

int main(int argc, char* argv[]) {
    // The pinyin collation needs ICU through QCollator, which wants an application object.
    QCoreApplication app(argc, argv);
    Options options;
    if (const auto error = parse(QCoreApplication::arguments(), options)) {
        print(stderr, *error + u'\n' + usage());
        return 2;
    }
    if (options.help) {
        print(stdout, usage());
        return 0;
    }
    if (options.version) {
        print(stdout, QStringLiteral("quorvane-import " QUORVANE_VERSION "\n"));
        return 0;
    }
    const QString input = options.files.at(0);
    const QString output = options.files.at(1);
    ImportTarget::removeBuildOnSignals();

    // Only a person at a terminal wants the counter; build logs get the summary alone.
    const bool terminal = isatty(fileno(stderr)) != 0;
    bool lineOpen = false;
    IdiomDatabase::Progress progress;
    if (terminal)
        progress = [&lineOpen](qsizetype done, qsizetype total) {
            print(stderr, QStringLiteral("\r导入 %1/%2").arg(done).arg(total));
            lineOpen = true;
        };
    auto endLine = [&lineOpen] {
        if (lineOpen)
            print(stderr, QStringLiteral("\n"));
        lineOpen = false;
    };

    try {
        IdiomImport::checkNotInput(input, output);
        if (!options.report.isEmpty()) {
            IdiomImport::checkNotInput(input, options.report);
            if (QFileInfo(options.report).absoluteFilePath() ==
                QFileInfo(output).absoluteFilePath())
                throw QuorvaneError(
                    QStringLiteral("报告文件“%1”不能与输出文件相同").arg(options.report));
        }
        const IdiomImport::Prepared prepared = IdiomImport::prepare(input, options.fixCodes);
        if (!options.report.isEmpty())
            IdiomCheck::writeReport(
                options.report, prepared.entries, prepared.check,
                IdiomImport::placeHeading(prepared.format),
                [&prepared](qsizetype i) { return IdiomImport::placeNumber(prepared.format, i); });
        if (options.strict && prepared.check.doubtful > 0) {
            printFindings(prepared);
            print(stdout, summary(prepared));
            print(stderr,
                  QStringLiteral("有疑问的记录使导入停止（--strict），“%1”没有改动\n").arg(output));
            return 1;
        }
        const IdiomMerge::Outcome outcome = IdiomMerge::apply(
            prepared.entries, output,
            options.merge ? IdiomMerge::Mode::AddMissing : IdiomMerge::Mode::Replace, progress);
        endLine();
        printFindings(prepared);
        QString done;
        if (options.fixCodes)
            done += QStringLiteral("已按拼音改正 %1 个代码\n").arg(prepared.check.fixedCodes);
        if (options.merge)
            done += QStringLiteral("已向“%1”添加 %2 条成语，%3 条词典中已有，保持原样\n")
                        .arg(output, QString::number(outcome.added), QString::number(outcome.kept));
        else
            done += QStringLiteral("已将 %1 条成语写入“%2”\n")
                        .arg(QString::number(outcome.added), output);
        print(stdout, done + summary(prepared));
        return 0;
    } catch (const QuorvaneError& error) {
        endLine();
        print(stderr, error.message() + u'\n');
    } catch (const std::exception& error) {
        endLine();
        print(stderr, QStringLiteral("导入失败：%1\n").arg(QString::fromLocal8Bit(error.what())));
    }
    return 1;
}
