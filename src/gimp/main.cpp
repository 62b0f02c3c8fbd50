// morvanel-gimp: GIMP 2.10 as a host of the Morvanel plug-in library.
//
// plug-in-morvanel (Filters > Light and Shadow > Morvanel...) reads the
// filter area of an RGB layer, hands it with the selection to the plug-in
// library through the filter host, and writes the result back as one undo
// step.  The filter area is the bounds of the selection on the layer (the
// whole layer when nothing is selected).  Everything the plug-in writes in
// that area lands on the layer, the shadow cast outside the selection
// included, exactly as `morvanel apply --selection MASK --rect AREA` writes
// it; nothing outside the area changes.  The action of each run is kept on
// the layer (parasite "morvanel-relief"), and the next run on that layer
// without a style starts from it.  Run interactively, the plug-in opens its
// own dialog, on the layer's relief when it keeps one; Cancel there ends the
// run quietly with the layer untouched.
#include <libgimp/gimp.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "AppFolder.h"
#include "GimpDialogStart.h"
#include "GimpFilterRun.h"
#include "HostAction.h"
#include "InstallData.h"
#include "PluginLoader.h"

namespace {

constexpr const char* kProcedureName = "plug-in-morvanel";
constexpr const char* kParasiteName = "morvanel-relief";
constexpr const char* kFormat = "R'G'B'A u8";
constexpr const char* kUndoNote = "Morvanel";
constexpr gint kMaxSide = 32767;

char* Text(const char* text) { return const_cast<char*>(text); }

void Query() {
    static GimpParamDef arguments[] = {
        {GIMP_PDB_INT32, Text("run-mode"),
         Text("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1), RUN-WITH-LAST-VALS (2) }")},
        {GIMP_PDB_IMAGE, Text("image"), Text("Input image")},
        {GIMP_PDB_DRAWABLE, Text("drawable"), Text("Input drawable (an RGB layer)")},
        {GIMP_PDB_STRING, Text("style"),
         Text("A style file (.mv) or the name of a style of the Morvanel data folder; empty for the layer's last "
              "relief or the last parameters")},
    };
    gimp_install_procedure(kProcedureName, "Shade the layer's object or selection as a relief",
                           "Builds a lit three-dimensional relief from the opaque part of the layer, or from the "
                           "selection, with bevel, material, texture, foreground image and shadow.",
                           "Morvanel developers", "Morvanel developers", "2026", "Morvanel\u2026", "RGB*",
                           GIMP_PLUGIN, G_N_ELEMENTS(arguments), 0, arguments, nullptr);
    gimp_plugin_menu_register(kProcedureName, "<Image>/Filters/Light and Shadow");
}

// The installed plug-in keeps the data folder beside its executable.
void UseDataBesideTheExecutable() {
    const char* data = std::getenv("MORVANEL_DATA");
    if (data != nullptr && *data != '\0') return;
    std::error_code ec;
    const auto beside = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "data";
    if (!ec && std::filesystem::is_directory(beside, ec)) setenv("MORVANEL_DATA", beside.c_str(), 1);
}

struct LayerAreaSt {
    gint32 image = -1;
    gint32 drawable = -1;
    gint x = 0, y = 0, width = 0, height = 0;
};

LayerAreaSt FindArea(gint32 image, gint32 drawable) {
    if (!gimp_item_is_drawable(drawable) || gimp_item_is_channel(drawable) || gimp_item_is_layer_mask(drawable))
        throw GimpRunError("only layers can be shaded; choose a layer and run it again");
    if (!gimp_drawable_is_rgb(drawable))
        throw GimpRunError("only RGB layers can be shaded, and this one is grey or indexed; the layer is unchanged "
                           "(Image > Mode > RGB converts the image)");
    LayerAreaSt area{image, drawable};
    if (!gimp_drawable_mask_intersect(drawable, &area.x, &area.y, &area.width, &area.height))
        throw GimpRunError("the selection does not cover any part of this layer; the layer is unchanged");
    if (area.width > kMaxSide || area.height > kMaxSide)
        throw GimpRunError("the filter area of " + std::to_string(area.width) + " x " + std::to_string(area.height) +
                           " pixels is too large (at most " + std::to_string(kMaxSide) +
                           " pixels a side); the layer is unchanged");
    return area;
}

GimpAreaSt ReadArea(const LayerAreaSt& where) {
    GimpAreaSt area;
    area.width = where.width;
    area.height = where.height;
    area.hasAlpha = gimp_drawable_has_alpha(where.drawable);
    area.rgba.resize(std::size_t(where.width) * where.height * 4);
    const GeglRectangle rect{where.x, where.y, where.width, where.height};
    GeglBuffer* layer = gimp_drawable_get_buffer(where.drawable);
    gegl_buffer_get(layer, &rect, 1.0, babl_format(kFormat), area.rgba.data(), GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
    g_object_unref(layer);
    if (gimp_selection_is_empty(where.image)) return area;

    // The selection lies in image coordinates; its values are coverage and
    // are taken as stored.
    gint offsetX = 0, offsetY = 0;
    gimp_drawable_offsets(where.drawable, &offsetX, &offsetY);
    area.selection.resize(std::size_t(where.width) * where.height);
    const GeglRectangle maskRect{where.x + offsetX, where.y + offsetY, where.width, where.height};
    GeglBuffer* mask = gimp_drawable_get_buffer(gimp_image_get_selection(where.image));
    gegl_buffer_get(mask, &maskRect, 1.0, babl_format("Y u8"), area.selection.data(), GEGL_AUTO_ROWSTRIDE,
                    GEGL_ABYSS_NONE);
    g_object_unref(mask);
    return area;
}

GimpRememberedSt Remembered(gint32 drawable) {
    GimpRememberedSt remembered;
    if (GimpParasite* parasite = gimp_item_get_parasite(drawable, kParasiteName)) {
        remembered.layerAction.assign(static_cast<const char*>(gimp_parasite_data(parasite)),
                                      gimp_parasite_data_size(parasite));
        gimp_parasite_free(parasite);
    }
    const gint size = gimp_get_data_size(kProcedureName);
    if (size > 0) {
        remembered.lastBlock.resize(size);
        gimp_get_data(kProcedureName, remembered.lastBlock.data());
    }
    return remembered;
}

// Merging the shadow buffer applies it through the selection; for the
// merge the selection becomes the filter area itself, and afterwards the
// user's selection and active layer come back, with feathering off so that
// both selections are taken as they are.  All of it lies inside the run's
// undo group.
void MergeWholeArea(const LayerAreaSt& where) {
    if (gimp_selection_is_empty(where.image)) {
        gimp_drawable_merge_shadow(where.drawable, TRUE);
        return;
    }
    const gint32 active = gimp_image_get_active_drawable(where.image);
    gimp_context_push();
    gimp_context_set_feather(FALSE);
    gimp_context_set_antialias(FALSE);
    const gint32 saved = gimp_selection_save(where.image);
    gint offsetX = 0, offsetY = 0;
    gimp_drawable_offsets(where.drawable, &offsetX, &offsetY);
    gimp_image_select_rectangle(where.image, GIMP_CHANNEL_OP_REPLACE, where.x + offsetX, where.y + offsetY,
                                where.width, where.height);
    gimp_drawable_merge_shadow(where.drawable, TRUE);
    gimp_image_select_item(where.image, GIMP_CHANNEL_OP_REPLACE, saved);
    gimp_image_remove_channel(where.image, saved);
    gimp_context_pop();
    if (active != -1 && gimp_item_is_layer(active)) gimp_image_set_active_layer(where.image, active);
    else if (active != -1 && gimp_item_is_channel(active)) gimp_image_set_active_channel(where.image, active);
}

void WriteResult(const LayerAreaSt& where, const GimpRunResultSt& result) {
    gimp_image_undo_group_start(where.image);
    GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(where.drawable);
    const GeglRectangle rect{where.x, where.y, where.width, where.height};
    gegl_buffer_set(shadow, &rect, 0, babl_format(kFormat), result.rgba.data(), GEGL_AUTO_ROWSTRIDE);
    gegl_buffer_flush(shadow);
    g_object_unref(shadow);
    MergeWholeArea(where);
    gimp_drawable_update(where.drawable, where.x, where.y, where.width, where.height);

    HostActionSt action;
    action.descriptor = result.recorded;
    const std::string text = HostAction_ToText(action);
    GimpParasite* parasite = gimp_parasite_new(kParasiteName, GIMP_PARASITE_PERSISTENT | GIMP_PARASITE_UNDOABLE,
                                               text.size(), text.data());
    gimp_item_attach_parasite(where.drawable, parasite);
    gimp_parasite_free(parasite);
    gimp_image_undo_group_end(where.image);
}

// The run itself; returns a note for the user (may be empty).
std::string RunOnLayer(LayerRunMode mode, gint32 image, gint32 drawable, const std::string& style) {
    UseDataBesideTheExecutable();
    SeedSystemFolder(GetPreferencesFolder());
    const LayerAreaSt where = FindArea(image, drawable);
    const GimpReplaySt replay = GimpReplay_Choose(mode, style, Remembered(drawable));
    GimpAreaSt area;
    try {
        area = ReadArea(where);
    } catch (const std::bad_alloc&) {
        throw GimpRunError("there is not enough memory to read " + std::to_string(where.width) + " x " +
                           std::to_string(where.height) + " pixels; the layer is unchanged");
    }

    if (mode == LayerRunMode::Interactive && replay.fromLayer) {
        std::string error;
        if (!GimpDialogStart_Write(replay.descriptor, SetupAppPaths().settingsFile, error))
            gimp_message(("Morvanel: the dialog starts from its last settings, not from the layer's relief: " + error)
                             .c_str());
    }
    GimpRunOptionsSt options;
    options.pluginPath = PluginLoader_ResolvePath("");
    options.withDialog = mode == LayerRunMode::Interactive;
    options.progress = [](double fraction) { return gimp_progress_update(fraction) != FALSE; };
    gimp_progress_init("Morvanel");
    const GimpRunResultSt result = GimpFilterRun(area, replay, options);
    gimp_progress_end();
    WriteResult(where, result);
    gimp_set_data(kProcedureName, result.block.data(), result.block.size());

    return replay.note;
}

void Run(const gchar*, gint count, const GimpParam* parameters, gint* returnCount, GimpParam** returnValues) {
    static GimpParam values[2];
    static std::string error;
    *returnCount = 1;
    *returnValues = values;
    values[0].type = GIMP_PDB_STATUS;
    values[0].data.d_status = GIMP_PDB_CALLING_ERROR;
    if (count < 3) return;
    const auto mode = static_cast<LayerRunMode>(parameters[0].data.d_int32);
    const std::string style =
        count > 3 && parameters[3].data.d_string != nullptr ? parameters[3].data.d_string : std::string();

    gegl_init(nullptr, nullptr);
    try {
        const std::string note = RunOnLayer(mode, parameters[1].data.d_image, parameters[2].data.d_drawable, style);
        if (!note.empty()) gimp_message(("Morvanel: " + note).c_str());
        if (mode != LayerRunMode::NonInteractive) gimp_displays_flush();
        values[0].data.d_status = GIMP_PDB_SUCCESS;
    } catch (const GimpRunCancelled&) {
        values[0].data.d_status = GIMP_PDB_CANCEL;
    } catch (const std::exception& e) {
        error = std::string("Morvanel: ") + e.what();
        if (mode == LayerRunMode::Interactive) gimp_message(error.c_str());
        values[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
        values[1].type = GIMP_PDB_STRING;
        values[1].data.d_string = error.data();
        *returnCount = 2;
    }
}

}  // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, Query, Run};

MAIN()
