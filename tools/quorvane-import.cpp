// quorvane-import INPUT OUTPUT: builds an idiom database (cy.mdb) from a .tsv or .json file.

#include "platform/QuorvaneError.h"
#include "tools/IdiomImport.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

#include <unistd.h>

namespace {
void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
} // namespace

int main(int argc, char* argv[]) {
    // The pinyin collation needs ICU through QCollator, which wants an application object.
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        print(stderr, QStringLiteral("用法：quorvane-import 输入文件 输出文件\n"
                                     "  输入文件：.tsv（表头为 代码、成语、拼音、解释、示例、"
                                     "近义、反义、出处、典故）或 .json（word、pinyin、"
                                     "abbreviation、explanation、example、derivation）\n"
                                     "  输出文件：要生成的成语数据库，例如 cy.mdb\n"));
        return 2;
    }
    const QString input = arguments.at(1);
    const QString output = arguments.at(2);

    // Only a person at a terminal wants the counter; build logs get the summary alone.
    const bool terminal = isatty(fileno(stderr)) != 0;
    bool lineOpen = false;
    quorvane::IdiomDatabase::Progress progress;
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
        const qsizetype count = quorvane::IdiomImport::run(input, output, progress);
        endLine();
        print(stdout,
              QStringLiteral("已将 %1 条成语写入“%2”\n").arg(QString::number(count), output));
        return 0;
    } catch (const quorvane::QuorvaneError& error) {
        endLine();
        print(stderr, error.message() + u'\n');
    } catch (const std::exception& error) {
        endLine();
        print(stderr, QStringLiteral("导入失败：%1\n").arg(QString::fromLocal8Bit(error.what())));
    }
    return 1;
}
