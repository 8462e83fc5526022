#include "tools/zolvik_sim/arguments.h"

#include "tools/zolvik_sim/tool_error.h"

TArguments::TArguments(std::string_view command, const std::vector<std::string>& args,
                       std::initializer_list<TOptionDef> definitions)
    : command_(command) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const TOptionDef* definition = nullptr;
        for (const TOptionDef& candidate : definitions) {
            if (candidate.Name == arg) definition = &candidate;
        }
        if (!definition) throw ToolError(command_ + ": unknown option " + arg);
        if (!definition->Repeatable && Has(arg)) throw ToolError(command_ + ": " + arg + " given twice");
        std::vector<std::string>& values = options_[arg];
        if (definition->TakesValue) {
            if (i + 1 >= args.size()) throw ToolError(command_ + ": " + arg + " needs a value");
            values.push_back(args[++i]);
        }
    }
}

std::optional<std::string> TArguments::Value(std::string_view option) const {
    auto found = options_.find(std::string(option));
    if (found == options_.end() || found->second.empty()) return std::nullopt;
    return found->second.front();
}

std::vector<std::string> TArguments::Values(std::string_view option) const {
    auto found = options_.find(std::string(option));
    return found == options_.end() ? std::vector<std::string>() : found->second;
}

void TArguments::ExpectOperands(std::size_t count, std::string_view what) const {
    if (operands_.size() != count) {
        throw ToolError(command_ + ": expects " + std::string(what) + " (see zolvik-sim help " + command_ + ")");
    }
}
