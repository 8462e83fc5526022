#pragma once
// A backup folder held in memory, with a switch that makes writing fail.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "setup/backups.h"

class TMemoryBackupFolder : public TBackupFolder {
public:
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : files) names.push_back(name);
        return names;
    }
    std::string Write(const std::string& name, const std::string& bytes) override {
        if (writesFail) return "Zugriff verweigert";
        files[name] = bytes;
        return std::string();
    }
    std::optional<std::string> Read(const std::string& name) override {
        auto found = files.find(name);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void Remove(const std::string& name) override { files.erase(name); }

    std::map<std::string, std::string> files;
    bool writesFail = false;
};
