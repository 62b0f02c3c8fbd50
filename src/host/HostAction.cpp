#include "HostAction.h"

#include "RegularFile.h"
#include "SafeFileWriter.h"

namespace {

int16_t PlayInfoFromJson(const nlohmann::json& json) {
    if (!json.contains("playInfo")) return kPlayDialogDontDisplay;
    const nlohmann::json& value = json["playInfo"];
    if (!value.is_number_integer()) throw DescriptorError("\"playInfo\" must be 0, 1 or 2");
    const auto playInfo = value.get<int64_t>();
    if (playInfo < kPlayDialogDontDisplay || playInfo > kPlayDialogSilent)
        throw DescriptorError("\"playInfo\" must be 0, 1 or 2");
    return static_cast<int16_t>(playInfo);
}

}  // namespace

// One item a line, so that an action is easy to read and edit by hand.
std::string HostAction_ToText(const HostActionSt& action) {
    std::string text = "{\n  \"playInfo\": " + std::to_string(action.playInfo) + ",\n  \"descriptor\": [";
    const char* separator = "\n    ";
    for (const nlohmann::json& item : Descriptor_ToJson(action.descriptor)) {
        text += separator + item.dump();
        separator = ",\n    ";
    }
    return text + "\n  ]\n}\n";
}

bool HostAction_FromText(const std::string& text, HostActionSt& action, std::string& error) {
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object() || !json.contains("descriptor")) {
        error = "not an action file (a JSON object with a \"descriptor\" list)";
        return false;
    }
    try {
        HostActionSt loaded;
        loaded.playInfo = PlayInfoFromJson(json);
        loaded.descriptor = Descriptor_FromJson(json["descriptor"]);
        action = std::move(loaded);
        return true;
    } catch (const DescriptorError& e) {
        error = e.what();
        return false;
    }
}

bool HostAction_Load(const std::string& path, HostActionSt& action, std::string& error) {
    std::string text;
    int reason = 0;
    if (!ReadRegularFile(path, text, &reason)) {
        error = "cannot read action file " + path + ": " + FileFailureText(reason);
        return false;
    }
    std::string problem;
    if (HostAction_FromText(text, action, problem)) return true;
    error = path + (problem.starts_with("not an action file") ? " is " : ": ") + problem;
    return false;
}

bool HostAction_Save(const std::string& path, const HostActionSt& action, std::string& error) {
    std::string text;
    try {
        text = HostAction_ToText(action);
    } catch (const std::exception& e) {
        error = "cannot store the action: " + std::string(e.what());
        return false;
    }
    SafeFileWriter writer(path.c_str());
    FILE* stream = writer.Stream();
    if (stream == nullptr || std::fwrite(text.data(), 1, text.size(), stream) != text.size() || !writer.Commit()) {
        error = "cannot write action file " + path;
        return false;
    }
    return true;
}
