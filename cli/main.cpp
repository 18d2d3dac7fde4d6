// querytool-cli: the tool's search, commissioning and reboot without a
// window, for scripts. Same protocol core, engine and DBP_* variables as the
// window; results on standard output, errors on standard error.
#include "app/ConfigLocation.h"
#include "cli/CliCommands.h"
#include "core/commission/CommissionSheet.h"
#include "core/endpoint/EndpointOverrides.h"
#include "core/search/SearchRangeText.h"
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include <cstdio>

namespace {

// The window's language, from the config.ini the window would use from this
// working folder; the file is only read, never made.
void installTranslation()
{
    const QString configFile = ConfigLocation::configFile();
    if (!QFileInfo::exists(configFile))
        return;
    const QString language = QSettings(configFile, QSettings::IniFormat).value("language").toString();
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!language.isEmpty() && translator->load(ConfigLocation::translationFile(language)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

struct Command {
    QString name;
    QStringList operands;
    ScanFormat format = ScanFormat::Table;
    bool formatGiven = false;
    ScanSort sort = ScanSort::Answer;
    bool sortGiven = false;
    bool conflicts = false;
    ApplyOptions apply;
};

// "--name value" and "--name=value" alike.
QStringList splitOptions(const QStringList& arguments)
{
    QStringList out;
    for (const QString& a : arguments) {
        const int equals = a.indexOf('=');
        if (a.startsWith("--") && equals > 2)
            out << a.left(equals) << a.mid(equals + 1);
        else
            out << a;
    }
    return out;
}

// False, with a message, for arguments that make no command.
bool parse(const QStringList& given, Command* command, QString* error)
{
    const QStringList arguments = splitOptions(given);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--format" && hasValue) {
            const QString format = arguments[++i];
            const QStringList names = {"table", "csv", "json"};
            if (!names.contains(format))
                return *error = CliCommands::tr("未知的格式：%1").arg(format), false;
            command->format = static_cast<ScanFormat>(names.indexOf(format));
            command->formatGiven = true;
        } else if (a == "--range" && hasValue) {
            SearchRange range;
            const QString text = arguments[++i];
            const SearchRangeFault fault = parseSearchRange(text.toStdString(), &range);
            if (fault != SearchRangeFault::None)
                return *error = searchRangeFaultText(fault, text), false;
            command->apply.ranges.push_back(range);
        } else if (a == "--sort" && hasValue) {
            const QString key = arguments[++i];
            const QStringList keys = {"ip", "id", "mac"};
            if (!keys.contains(key))
                return *error = CliCommands::tr("未知的排序：%1").arg(key), false;
            command->sort = static_cast<ScanSort>(keys.indexOf(key) + 1);
            command->sortGiven = true;
        } else if (a == "--conflicts") {
            command->conflicts = true;
        } else if (a == "--dry-run") {
            command->apply.dryRun = true;
        } else if (a == "--partial") {
            command->apply.partial = true;
        } else if (a == "--result" && hasValue) {
            command->apply.resultFile = arguments[++i];
        } else if (a.startsWith("--")) {
            return *error = CliCommands::tr("未知的选项：%1").arg(a), false;
        } else if (command->name.isEmpty()) {
            command->name = a;
        } else {
            command->operands << a;
        }
    }
    const bool applyOptions = command->apply.dryRun || command->apply.partial || !command->apply.resultFile.isEmpty();
    const bool scan = command->name == "scan" && command->operands.isEmpty() && !applyOptions;
    const bool apply = command->name == "apply" && command->operands.size() == 1 && !command->conflicts
        && !command->sortGiven && command->format != ScanFormat::Csv;
    const bool reboot = command->name == "reboot" && command->operands.size() == 1 && !command->conflicts
        && !applyOptions && !command->formatGiven && !command->sortGiven
        && canonicalAddress(command->operands[0].toStdString()).has_value();
    if (!scan && !apply && !reboot)
        return *error = CliCommands::tr("参数不正确"), false;
    if (apply) {
        command->apply.sheetFile = command->operands[0];
        command->apply.json = command->format == ScanFormat::Json;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    installTranslation();
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.contains("--help") || arguments.contains("-h")) {
        printOut(CliCommands::help());
        return kExitOk;
    }
    Command command;
    QString error;
    if (!parse(arguments, &command, &error)) {
        printError(error + '\n' + CliCommands::help());
        return kExitUsage;
    }
    // A typo in a variable would otherwise search or apply somewhere else
    // than meant: the command line refuses it before sending anything.
    QStringList invalid;
    const EndpointSettings settings = endpointSettingsFromEnvironment(&invalid);
    if (!invalid.isEmpty()) {
        for (const QString& problem : invalid)
            printError(CliCommands::tr("环境变量无效，不发送任何请求：%1").arg(problem));
        return kExitUsage;
    }
    if (!SocketLayerStartup()) {
        printError(CliCommands::tr("网络无法使用"));
        return kExitNetwork;
    }
    int result = kExitNetwork;
    {
        QueryThread thread(settings);
        if (!thread.engine()->IsOpen()) {
            printError(CliCommands::tr("无法打开UDP端口%1").arg(thread.engine()->Settings().localPort));
        } else {
            thread.start();
            if (command.name == "scan")
                result = CliCommands::scan(
                    thread.engine(), command.format, command.conflicts, command.sort, command.apply.ranges);
            else if (command.name == "apply")
                result = CliCommands::apply(thread.engine(), command.apply);
            else
                result = CliCommands::reboot(thread.engine(), command.operands[0]);
        }
    }
    SocketLayerShutdown();
    return result;
}
