#include "Platform/X11/GSettingsReader.h"

#include <gio/gio.h>

#include <memory>

namespace tessaly::GSettingsReader {

namespace {

struct SchemaUnref {
    void operator()(GSettingsSchema* p) const { g_settings_schema_unref(p); }
};
struct KeyUnref {
    void operator()(GSettingsSchemaKey* p) const { g_settings_schema_key_unref(p); }
};
struct ObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
struct StrvFree {
    void operator()(gchar** p) const { g_strfreev(p); }
};

}  // namespace

std::vector<std::pair<std::string, std::vector<std::string>>> stringLists(const std::string& schemaID) {
    std::vector<std::pair<std::string, std::vector<std::string>>> lists;
    // Asking GSettings for a schema that is not installed aborts the
    // program: it is looked up first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return lists;
    const std::unique_ptr<GSettingsSchema, SchemaUnref> schema(g_settings_schema_source_lookup(source, schemaID.c_str(), TRUE));
    if (!schema) return lists;
    const std::unique_ptr<GSettings, ObjectUnref> settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    const std::unique_ptr<gchar*, StrvFree> keys(g_settings_schema_list_keys(schema.get()));
    for (gchar** key = keys.get(); key && *key; ++key) {
        const std::unique_ptr<GSettingsSchemaKey, KeyUnref> info(g_settings_schema_get_key(schema.get(), *key));
        if (!g_variant_type_equal(g_settings_schema_key_get_value_type(info.get()), G_VARIANT_TYPE_STRING_ARRAY)) continue;
        const std::unique_ptr<gchar*, StrvFree> values(g_settings_get_strv(settings.get(), *key));
        std::vector<std::string> list;
        for (gchar** value = values.get(); value && *value; ++value) list.emplace_back(*value);
        lists.emplace_back(*key, std::move(list));
    }
    return lists;
}

}  // namespace tessaly::GSettingsReader
