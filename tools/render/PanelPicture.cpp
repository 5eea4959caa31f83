#include "tools/render/PanelPicture.h"

#include "editor/CDelayEditor.h"
#include "editor/CPanelSnapshot.h"
#include "effect/AKestrune.h"
#include "tools/render/PluginSession.h"
#include "toolkit/ResourceFolder.h"

#include <cstdio>
#include <memory>

namespace {

// The bundle folder, which the linked-in effect asks for to find the factory bank.
std::string gBundleFolder;

// The linked-in effect needs a host that answers the version and directory queries.
VstIntPtr PanelHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetDirectory) return reinterpret_cast<VstIntPtr>(gBundleFolder.c_str());
    return 0;
}

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace

int WritePanelPicture(const RenderOptions& options)
{
    const PluginSetup& setup = options.plugins.front();
    PluginSession session(setup, options.sampleRate, options.blockSize, options.tempo);
    if (!session.Error().empty()) {
        std::fprintf(stderr, "kestrune-render: %s\n", session.Error().c_str());
        return 1;
    }
    VstInstance& loaded = session.Instance();
    if (loaded.Effect()->uniqueID != FourCC('K', 'S', 'T', 'R')) {
        std::fprintf(stderr, "kestrune-render: --panel draws Kestrune's panel only\n");
        return 1;
    }
    // The bitmaps and the factory bank are those of the bundle that was loaded.
    gBundleFolder = FolderOf(VstLibrary::ResolvePath(setup.path));
    VSTGUI::SetResourceFolder((gBundleFolder + "Resources/").c_str());

    auto effect = std::make_unique<AKestrune>(PanelHost);
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effSetProgram, 0, loaded.Dispatch(effGetProgram), nullptr, 0.0f);
    for (int i = 0; i < kNumParams; ++i) effect->setParameter(i, loaded.GetParameter(i));

    auto* editor = static_cast<CDelayEditor*>(effect->getEditor());
    bool written = false;
    {
        CPanelSnapshot panel(*editor, options.panelScale);
        written = panel.Width() > 0 && panel.WritePng(options.output.c_str());
    }
    if (!written) {
        std::fprintf(stderr, "kestrune-render: cannot write the panel picture '%s'\n", options.output.c_str());
        return 1;
    }
    std::printf("panel: %s\n", options.output.c_str());
    return 0;
}
