#include "platform/CupsQueue.h"

#include <QByteArray>

#include <dlfcn.h>

namespace quorvane::CupsQueue {

namespace {
// The parts of the CUPS library's interface asked here. The library is the one Qt prints
// through; it is loaded when first needed rather than linked, as Qt loads it too.
struct Option {
    char* name;
    char* value;
};
struct Dest {
    char* name;
    char* instance;
    int isDefault;
    int numOptions;
    Option* options;
};
// IPP status codes from here on are errors.
constexpr int kFirstError = 0x0400;

struct Library {
    using GetNamedDest = Dest* (*)(void*, const char*, const char*);
    using FreeDests = void (*)(int, Dest*);
    using GetOption = const char* (*)(const char*, int, Option*);
    using LastError = int (*)();
    using LastErrorString = const char* (*)();
    using AddOption = int (*)(const char*, const char*, int, Option**);
    using FreeOptions = void (*)(int, Option*);
    using PrintFile = int (*)(const char*, const char*, const char*, int, Option*);

    GetNamedDest getNamedDest = nullptr;
    FreeDests freeDests = nullptr;
    GetOption getOption = nullptr;
    LastError lastError = nullptr;
    LastErrorString lastErrorString = nullptr;
    AddOption addOption = nullptr;
    FreeOptions freeOptions = nullptr;
    PrintFile printFile = nullptr;

    Library() {
        void* handle = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_LOCAL);
        if (!handle)
            return;
        getNamedDest = reinterpret_cast<GetNamedDest>(::dlsym(handle, "cupsGetNamedDest"));
        freeDests = reinterpret_cast<FreeDests>(::dlsym(handle, "cupsFreeDests"));
        getOption = reinterpret_cast<GetOption>(::dlsym(handle, "cupsGetOption"));
        lastError = reinterpret_cast<LastError>(::dlsym(handle, "cupsLastError"));
        lastErrorString = reinterpret_cast<LastErrorString>(::dlsym(handle, "cupsLastErrorString"));
        addOption = reinterpret_cast<AddOption>(::dlsym(handle, "cupsAddOption"));
        freeOptions = reinterpret_cast<FreeOptions>(::dlsym(handle, "cupsFreeOptions"));
        printFile = reinterpret_cast<PrintFile>(::dlsym(handle, "cupsPrintFile"));
    }
    bool ready() const {
        return getNamedDest && freeDests && getOption && lastError && lastErrorString &&
               addOption && freeOptions && printFile;
    }
};

const Library& library() {
    static const Library loaded;
    return loaded;
}

// What the last call of this thread into CUPS reported, when it failed; empty after a success.
QString lastFailure() {
    const Library& cups = library();
    if (!cups.ready() || cups.lastError() < kFirstError)
        return {};
    const char* text = cups.lastErrorString();
    return text ? QString::fromLocal8Bit(text) : QString();
}
} // namespace

bool available() {
    return library().ready();
}

QString refusal(const QString& name) {
    const Library& cups = library();
    if (!cups.ready() || name.isEmpty())
        return {};
    const QByteArray queue = name.toLocal8Bit();
    Dest* dest = cups.getNamedDest(nullptr, queue.constData(), nullptr);
    if (!dest)
        return QStringLiteral("无法连接打印服务，或找不到打印机“%1”。").arg(name);
    const char* state = cups.getOption("printer-state", dest->numOptions, dest->options);
    const char* accepting =
        cups.getOption("printer-is-accepting-jobs", dest->numOptions, dest->options);
    QString reason;
    if (state && QByteArray(state) == "5")
        reason = QStringLiteral("打印机“%1”已停用，无法打印。").arg(name);
    else if (accepting && QByteArray(accepting) == "false")
        reason = QStringLiteral("打印机“%1”不接受打印作业。").arg(name);
    cups.freeDests(1, dest);
    return reason;
}

QString printFile(const QString& name, const QString& file, const QString& title,
                  const JobOptions& options) {
    const Library& cups = library();
    if (!cups.ready())
        return QStringLiteral("找不到打印服务（CUPS）。");
    int count = 0;
    Option* list = nullptr;
    for (const auto& [option, value] : options)
        count = cups.addOption(option.constData(), value.constData(), count, &list);
    const int job = cups.printFile(name.toLocal8Bit().constData(), file.toLocal8Bit().constData(),
                                   title.toUtf8().constData(), count, list);
    cups.freeOptions(count, list);
    if (job > 0)
        return {};
    const QString failure = lastFailure();
    return failure.isEmpty() ? QStringLiteral("打印服务没有给出作业号。") : failure;
}

} // namespace quorvane::CupsQueue
