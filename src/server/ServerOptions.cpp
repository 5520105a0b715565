#include "server/ServerOptions.h"

#include "server/RankingRequest.h"
#include "util/Assert.h"

namespace {

void fParseListen(const std::string& value, SServerOptions& options) {
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0) throw CGameError("--listen wants HOST:PORT, not \"" + value + "\"");
  const auto port = fParseCount(value.substr(colon + 1));
  if (!port || *port > 65535) throw CGameError("--listen has a bad port: \"" + value + "\"");
  std::string host = value.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  options.host = host;
  options.port = *port;
}

int fPositive(const std::string& option, const std::string& value) {
  const auto number = fParseCount(value);
  if (!number || *number == 0) throw CGameError(option + " wants a whole number above 0, not \"" + value + "\"");
  return *number;
}

}  // namespace

SServerOptions fParseServerOptions(const std::vector<std::string>& allArguments) {
  SServerOptions options;
  options.limits.uploadsPerMinute = kDefaultUploadsPerMinute;
  // Switches without a value; every other option has one.
  std::vector<std::string> arguments;
  for (const std::string& argument : allArguments) {
    if (argument == "--proxy-protocol") {
      options.limits.proxyProtocol = true;
    } else {
      arguments.push_back(argument);
    }
  }
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      return options;
    }
    if (argument.rfind("--", 0) != 0) throw CGameError("unknown argument \"" + argument + "\"");
    if (i + 1 >= arguments.size()) {
      if (argument == "--listen" || argument == "--db" || argument == "--workers" || argument == "--deadline-ms" ||
          argument == "--max-connections" || argument == "--max-per-address" || argument == "--check-ms" ||
          argument == "--check-memory-mb" || argument == "--web-root" || argument == "--list-limit" ||
          argument == "--upload-rate" || argument == "--stop-ms" || argument == "--db-connect-ms" ||
          argument == "--db-timeout-ms" || argument == "--proxy-from" ||
          argument == "--db-connections") {
        throw CGameError(argument + " needs a value");
      }
      throw CGameError("unknown argument \"" + argument + "\"");
    }
    const std::string& value = arguments[i + 1];
    if (argument == "--listen") {
      fParseListen(value, options);
    } else if (argument == "--db") {
      if (value.empty()) throw CGameError("--db needs a file name or a postgresql:// URI");
      options.database = value;
    } else if (argument == "--workers") {
      options.workers = fPositive(argument, value);
    } else if (argument == "--deadline-ms") {
      options.limits.requestDeadline = std::chrono::milliseconds(fPositive(argument, value));
    } else if (argument == "--max-connections") {
      options.limits.maxConnections = static_cast<std::size_t>(fPositive(argument, value));
    } else if (argument == "--max-per-address") {
      options.limits.maxConnectionsPerAddress = static_cast<std::size_t>(fPositive(argument, value));
    } else if (argument == "--check-ms") {
      options.checkMs = fPositive(argument, value);
    } else if (argument == "--check-memory-mb") {
      options.checkMemoryMb = fPositive(argument, value);
    } else if (argument == "--web-root") {
      if (value.empty()) throw CGameError("--web-root needs a folder");
      options.webRoot = value;
    } else if (argument == "--list-limit") {
      options.listLimit = static_cast<std::size_t>(fPositive(argument, value));
    } else if (argument == "--upload-rate") {
      // 0 turns the limit off.
      options.limits.uploadsPerMinute = value == "0" ? 0 : fPositive(argument, value);
    } else if (argument == "--stop-ms") {
      options.limits.stopGrace = std::chrono::milliseconds(fPositive(argument, value));
    } else if (argument == "--db-connect-ms") {
      options.storeTimeouts.connect = std::chrono::milliseconds(fPositive(argument, value));
    } else if (argument == "--db-connections") {
      options.storeTimeouts.connections = fPositive(argument, value);
    } else if (argument == "--proxy-from") {
      // Naming the balancers is asking for their headers.
      options.limits.proxyFrom = fParseAddressRanges(value);
      options.limits.proxyProtocol = true;
    } else if (argument == "--db-timeout-ms") {
      options.storeTimeouts.statement = std::chrono::milliseconds(fPositive(argument, value));
    } else {
      throw CGameError("unknown argument \"" + argument + "\"");
    }
  }
  if (options.database.empty()) throw CGameError("--db PATH is required");
  return options;
}
