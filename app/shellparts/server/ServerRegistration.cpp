#include "ServerRegistration.h"

#include "ObjectSystem.h"

#include <QCoreApplication>
#include <QFileInfo>

static void InitServerResources() { Q_INIT_RESOURCE(server); }

namespace quenmar {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::size_t> FindOneOf(std::string_view text, std::string_view set) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (set.find(text[i]) != std::string_view::npos) return i + 1;
  return std::nullopt;
}

RegistrationSwitch FindRegistrationSwitch(std::string_view commandLine) {
  constexpr std::string_view kSwitchStarts = "-/";
  // "/" also separates the folders of a path: only the "-" and "/" that open a word (and
  // those right after them, as in "--RegServer") start a switch, so that a document named
  // /tmp/docs/RegServer is opened, not taken for the switch.
  auto opensWord = [&](std::size_t at) {
    while (at > 0 && kSwitchStarts.find(commandLine[at - 1]) != std::string_view::npos) --at;
    return at == 0 || commandLine[at - 1] == ' ';
  };
  std::string_view token = commandLine;
  for (auto next = FindOneOf(token, kSwitchStarts); next; next = FindOneOf(token, kSwitchStarts)) {
    token.remove_prefix(*next);
    if (!opensWord(commandLine.size() - token.size() - 1)) continue;
    if (EqualsIgnoringCase(token, "UnregServer")) return RegistrationSwitch::Unregister;
    if (EqualsIgnoringCase(token, "RegServer")) return RegistrationSwitch::Register;
  }
  return RegistrationSwitch::None;
}

std::string WholeCommandLine(const QStringList& arguments) {
  return arguments.join(QLatin1Char(' ')).toStdString();
}

QString ProgramFilePath() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

bool InitServer(std::string_view commandLine, std::int32_t& bServerInited, ServerOptions options) {
  InitServerResources();
  bServerInited = true;
  if (Failed(ObjectSystem::Initialize())) {
    bServerInited = false;
    return false;
  }

  ServerModule& module = ServerModule::Instance();
  module.Init(options.modulePath.isEmpty() ? ProgramFilePath() : options.modulePath,
              std::move(options.classTable));

  // The outcome of a registration run is not reported: the process ends the same way whether
  // the registry could be changed or not.
  switch (FindRegistrationSwitch(commandLine)) {
    case RegistrationSwitch::Unregister:
      module.UpdateRegistryFromResource(kServerRegistryScript, false);
      module.UnregisterServer();
      break;
    case RegistrationSwitch::Register:
      module.UpdateRegistryFromResource(kServerRegistryScript, true);
      module.RegisterServer(true);
      break;
    case RegistrationSwitch::None:
      if (Succeeded(module.RegisterClassObjects())) return true;
      break;
  }

  bServerInited = false;
  module.Term();
  ObjectSystem::Uninitialize();
  return false;
}

void ShutdownServer(std::int32_t& bServerInited) {
  if (!bServerInited) return;
  ServerModule& module = ServerModule::Instance();
  module.RevokeClassObjects();
  module.Term();
  ObjectSystem::Uninitialize();
  bServerInited = false;
}

}  // namespace quenmar
