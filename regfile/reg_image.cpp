#include "regfile/reg_image.h"

#include "common/cp1252.h"

using namespace win;

TRegImage::Key& TRegImage::Make(RegKey root, const std::string& path) {
    Key& key = keys_[{root, UpperCase(path)}];
    if (key.Path.empty()) {
        key.Root = root;
        key.Path = path;
    }
    return key;
}

void TRegImage::AddKey(RegKey root, const std::string& path) { Make(root, path); }

void TRegImage::SetValue(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                         std::vector<std::uint8_t> data) {
    Make(root, path).Values[UpperCase(name)] = Value{name, type, std::move(data)};
}

void TRegImage::DeleteTree(RegKey root, const std::string& path) {
    std::string folded = UpperCase(path);
    for (auto key = keys_.begin(); key != keys_.end();) {
        const std::string& other = key->first.second;
        bool below = other == folded || (other.size() > folded.size() && other.starts_with(folded + "\\"));
        key = key->first.first == root && below ? keys_.erase(key) : std::next(key);
    }
}

void TRegImage::Apply(const TRegFile& file) {
    for (const TRegEntry& entry : file.Entries) {
        switch (entry.Action) {
            case TRegAction::CreateKey: AddKey(entry.Root, entry.Path); break;
            case TRegAction::DeleteKey: DeleteTree(entry.Root, entry.Path); break;
            case TRegAction::SetValue: SetValue(entry.Root, entry.Path, entry.Name, entry.Type, entry.Data); break;
            case TRegAction::DeleteValue: {
                auto key = keys_.find({entry.Root, UpperCase(entry.Path)});
                if (key != keys_.end()) key->second.Values.erase(UpperCase(entry.Name));
                break;
            }
        }
    }
}

std::vector<TRegChange> TRegImage::ChangesTo(const TRegImage& after) const {
    std::vector<TRegChange> changes;
    auto valuesOf = [](const std::map<KeyId, Key>& keys, const KeyId& id) -> const std::map<std::string, Value>* {
        auto key = keys.find(id);
        return key == keys.end() ? nullptr : &key->second.Values;
    };
    for (const auto& [id, key] : after.keys_) {
        const std::map<std::string, Value>* before = valuesOf(keys_, id);
        for (const auto& [folded, value] : key.Values) {
            auto old = before ? before->find(folded) : std::map<std::string, Value>::const_iterator();
            if (!before || old == before->end()) {
                changes.push_back({TRegChangeKind::Added, key.Root, key.Path, value.Name});
            } else if (old->second.Type != value.Type || old->second.Data != value.Data) {
                changes.push_back({TRegChangeKind::Changed, key.Root, key.Path, value.Name});
            }
        }
    }
    for (const auto& [id, key] : keys_) {
        const std::map<std::string, Value>* later = valuesOf(after.keys_, id);
        for (const auto& [folded, value] : key.Values) {
            if (!later || !later->count(folded)) changes.push_back({TRegChangeKind::Deleted, key.Root, key.Path, value.Name});
        }
    }
    return changes;
}
