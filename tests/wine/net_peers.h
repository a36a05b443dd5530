// Where the loopback peers that the test runner starts (tests/net/peers.sh) listen: the
// lines NAME=VALUE of the file that ONDRIK_NET_STATE names; empty when they are not there.
#pragma once

#include <windows.h>

#include <fstream>
#include <map>
#include <string>

namespace testing_ondrik {

inline std::map<std::string, std::string> netPeers() {
    std::map<std::string, std::string> out;
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("ONDRIK_NET_STATE", path, MAX_PATH)) return out;
    std::ifstream f(path);
    std::string line;
    while (std::getline(f, line)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

} // namespace testing_ondrik
