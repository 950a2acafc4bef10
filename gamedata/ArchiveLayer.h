#pragma once
// An archive as a layer of a game's file tree.
#include "gamedata/Archive.h"
#include "gamedata/Layer.h"

#include <memory>

namespace quarnel {

class ArchiveLayer : public Layer {
public:
    ArchiveLayer(std::string name, std::unique_ptr<Archive> archive)
        : Layer(std::move(name)), archive_(std::move(archive))
    {
    }

    const Archive& archive() const { return *archive_; }

    std::optional<LayerFile> Find(std::string_view path) const override;
    std::vector<std::uint8_t> Read(std::string_view path) const override;
    void ForEach(const std::function<void(std::string_view path, std::uint64_t size)>& visit) const override;

private:
    std::unique_ptr<Archive> archive_;
};

} // namespace quarnel
