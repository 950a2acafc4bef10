#pragma once
// One layer of a game's file tree: an archive or a loose folder. The tree
// asks its layers in order; a layer knows nothing of the others.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct LayerFile {
    std::string path;       // "/" between folders, in the layer's own case
    std::uint64_t size = 0; // unpacked
};

class Layer {
public:
    explicit Layer(std::string name) : name_(std::move(name)) {}
    virtual ~Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // As the user knows it: "patch000.dat", "data", "master.dat".
    const std::string& Name() const { return name_; }

    // The file at a path ("/" or "\", any case), if the layer holds it.
    virtual std::optional<LayerFile> Find(std::string_view path) const = 0;
    // Its bytes; ArchiveError naming the layer when it is missing or unreadable.
    virtual std::vector<std::uint8_t> Read(std::string_view path) const = 0;
    // Every file the layer holds, in no particular order.
    virtual void ForEach(const std::function<void(std::string_view path, std::uint64_t size)>& visit) const = 0;

private:
    std::string name_;
};

} // namespace quarnel
