// SPDX-License-Identifier: GPL-3.0-or-later
#include "RulesGenerator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

namespace velmora::bench {
namespace {

// Key names of the kind game objects carry. Each category takes its own subset; the rest are
// the foreign keys that make a section fit its category only loosely.
constexpr const char* kKeyNames[] = {
    "UIName", "Image", "Cost", "Soylent", "Strength", "Armor", "TechLevel", "Sight", "Speed", "Owner",
    "Prerequisite", "Primary", "Secondary", "ElitePrimary", "EliteSecondary", "Points", "ROT", "Category",
    "Crusher", "Crushable", "Explodes", "VoiceSelect", "VoiceMove", "VoiceAttack", "DieSound", "MoveSound",
    "Locomotor", "SpeedType", "MovementZone", "ThreatPosed", "Ammo", "Reload", "Passengers", "Size",
    "Weight", "Cloakable", "Sensors", "SelfHealing", "Pip", "PipScale", "Insignia", "BuildLimit",
    "AllowedToStartInMultiplayer", "Trainable", "Bombable", "Selectable", "CrateGoodie", "Turret",
    "TurretSpins", "ROF", "Range", "Damage", "Warhead", "Projectile", "Report", "Anim", "Burst", "Bright",
    "Verses", "Spread", "Wall", "Wood", "CellSpread", "PercentAtMax", "InfDeath", "Shadow", "Foundation",
    "Power", "Capturable", "Adjacent", "BaseNormal", "Powered", "Factory", "Storage", "Refinery",
    "Repairable", "ClickRepairable", "Unsellable", "Radar", "SuperWeapon", "RechargeTime", "Type", "Action",
    "AIBuildThis", "DeployTime", "DeploysInto", "UndeploysInto", "Landable", "Fighter", "FlightLevel",
    "PitchSpeed", "RollAngle", "Layer", "Accelerates", "AccelerationFactor", "Dock", "Agent", "Engineer",
    "Infiltrate", "Assaulter", "Fearless", "Cyborg", "Occupier", "Deployer", "OpportunityFire",
    "DistributedFire", "Disguised", "Invisible", "FireAngle", "Rotates", "Frames", "Start", "End", "Rate",
    "Loop", "Normalized", "Translucent", "Elasticity", "MaxXYVel", "MinZVel", "Spawns", "ExpireAnim",
    "Duration", "Palette", "Cameo", "AltCameo", "Voxel", "Remapable", "Crewed", "Gunner", "Trainable2",
    "VeteranAbilities", "EliteAbilities", "ImmuneToPsionics", "ImmuneToRadiation", "Parasiteable",
    "LeaveRubble", "DeathWeapon", "OccupyWeapon", "EliteOccupyWeapon", "GuardRange", "DefaultToGuardArea",
};

constexpr const char* kCategoryNames[] = {
    "InfantryTypes", "VehicleTypes", "AircraftTypes", "BuildingTypes", "Weapons", "Projectiles", "Warheads",
    "Animations", "SuperWeaponTypes", "ParticleSystems", "Particles", "VoxelAnims", "TerrainTypes",
    "SmudgeTypes", "OverlayTypes", "Countries", "Sides", "Tiberiums", "Colors", "Movies", "Themes",
    "Sounds", "Tutorial", "NavalTypes", "HoverTypes", "DroneTypes", "TrainTypes", "CivilianTypes",
    "CrateTypes", "VeteranTypes", "CloudTypes", "LightTypes", "BridgeTypes", "WallTypes", "MineTypes",
    "BeaconTypes", "TrapTypes", "PortalTypes", "DebrisTypes", "EmitterTypes",
};

constexpr const char* kPageThemes[] = {"General", "Combat", "Movement", "Art", "Sound"};
constexpr const char* kArmors[] = {"none", "flak", "plate", "light", "medium", "heavy", "wood", "steel", "concrete"};
constexpr const char* kWeapons[] = {"M60", "105mm", "120mm", "Dragon", "Flamer", "Sniper", "RedEye", "HoverMissile",
                                    "TeslaZap", "PrismShot", "Comet", "Maverick", "Torpedo", "Grenade", "Colt45"};
constexpr const char* kBuildings[] = {"GAPOWR", "GAPILE", "GAWEAP", "GAHPAD", "GATECH", "GARADR", "NAPOWR",
                                      "NAHAND", "NAWEAP", "NARADR", "NATECH"};
constexpr const char* kOwners[] = {"British,French,Germans,Americans,Alliance", "Russians,Confederation,Africans,Arabs",
                                   "YuriCountry", "Americans"};
constexpr const char* kAdjectives[] = {"Light", "Heavy", "Rocket", "Attack", "Elite", "Mobile", "Siege",
                                       "Armored", "Stealth", "Field"};
constexpr const char* kNouns[] = {"Infantry", "Tank", "Trooper", "Walker", "Launcher", "Battery", "Scout",
                                  "Gunship", "Tower", "Harvester"};

template <size_t N>
constexpr size_t Count(const char* const (&)[N]) {
    return N;
}

// The type of value a key holds, fixed per key name so that a key always looks alike.
enum class ValueKind { Number, Flag, Armor, Weapon, Code, List, Owner, Text };

ValueKind KindOf(const std::string& key) {
    if (key == "Armor") return ValueKind::Armor;
    if (key == "Primary" || key == "Secondary" || key == "ElitePrimary" || key == "EliteSecondary" ||
        key == "DeathWeapon" || key == "OccupyWeapon" || key == "EliteOccupyWeapon")
        return ValueKind::Weapon;
    if (key == "Prerequisite" || key == "Adjacent" || key == "Verses") return ValueKind::List;
    if (key == "Owner") return ValueKind::Owner;
    if (key == "UIName" || key == "Name") return ValueKind::Text;
    if (key == "Image" || key == "Anim" || key == "Projectile" || key == "Warhead" || key == "DeploysInto" ||
        key == "Cameo" || key == "AltCameo" || key == "ExpireAnim" || key == "Palette")
        return ValueKind::Code;
    static constexpr std::string_view kFlags[] = {
        "Crusher", "Crushable", "Explodes", "Cloakable", "Sensors", "SelfHealing", "Trainable", "Trainable2",
        "Bombable", "Selectable", "Turret", "TurretSpins", "Wall", "Wood", "Capturable", "BaseNormal", "Powered",
        "Refinery", "Repairable", "ClickRepairable", "Unsellable", "Radar", "AIBuildThis", "Landable", "Fighter",
        "Accelerates", "Agent", "Engineer", "Infiltrate", "Assaulter", "Fearless", "Cyborg", "Occupier",
        "Deployer", "OpportunityFire", "DistributedFire", "Disguised", "Invisible", "Rotates", "Loop",
        "Normalized", "Translucent", "Remapable", "Crewed", "Gunner", "ImmuneToPsionics", "ImmuneToRadiation",
        "Parasiteable", "LeaveRubble", "DefaultToGuardArea", "AllowedToStartInMultiplayer", "Shadow", "Bright",
    };
    for (std::string_view flag : kFlags)
        if (key == flag) return ValueKind::Flag;
    return ValueKind::Number;
}

}  // namespace

RulesGenerator::RulesGenerator(RulesShape shape) : m_shape(shape), m_state(shape.seed * 0x9E3779B97F4A7C15ull + 1) {
    if (m_shape.categoryCount > Count(kCategoryNames))
        throw std::invalid_argument("at most " + std::to_string(Count(kCategoryNames)) + " categories");
    if (m_shape.minKeys < 1 || m_shape.maxKeys < m_shape.minKeys) throw std::invalid_argument("bad key range");
    PlanCategories();
    PlanSections();
    PlanLists();
}

uint32_t RulesGenerator::Next() {
    // splitmix64: the same numbers on every platform and standard library.
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

void RulesGenerator::PlanCategories() {
    for (size_t c = 0; c < m_shape.categoryCount; ++c) {
        GeneratedCategory category;
        category.name = kCategoryNames[c];
        category.kind = Chance(50) ? 0 : 1;
        // Each category draws its keys from a shuffled copy of the key names; "Name" leads the first page.
        std::vector<std::string> pool(std::begin(kKeyNames), std::end(kKeyNames));
        for (size_t i = pool.size() - 1; i > 0; --i) std::swap(pool[i], pool[Below(i + 1)]);
        size_t used = 0;
        const size_t pageCount = 2 + Below(3);
        std::string prefix = category.name.substr(0, category.name.size() > 5 ? category.name.size() - 5 : 0);
        if (prefix.empty()) prefix = category.name;
        for (size_t p = 0; p < pageCount; ++p) {
            category.pages.push_back(prefix + kPageThemes[p]);
            std::vector<std::string> keys;
            if (p == 0) keys.push_back("Name");
            const size_t keyCount = 10 + Below(11);
            while (keys.size() < keyCount) keys.push_back(pool[used++]);
            category.pageKeys.push_back(std::move(keys));
        }
        m_categories.push_back(std::move(category));
    }
}

std::string RulesGenerator::NewCode() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr char kAlnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (;;) {
        std::string code(1, kLetters[Below(26)]);
        const size_t length = 2 + Below(5);
        while (code.size() < length) code += kAlnum[Below(36)];
        if (m_usedCodes.count(code)) continue;
        bool clashes = false;
        for (const auto& category : m_categories) {
            if (category.name == code) clashes = true;
            for (const auto& page : category.pages) clashes = clashes || page == code;
        }
        if (clashes) continue;
        m_usedCodes.insert(code);
        return code;
    }
}

std::string RulesGenerator::ValueFor(const std::string& key, size_t sectionIndex) {
    switch (KindOf(key)) {
    case ValueKind::Armor: return kArmors[Below(Count(kArmors))];
    case ValueKind::Weapon: return kWeapons[Below(Count(kWeapons))];
    case ValueKind::Owner: return kOwners[Below(Count(kOwners))];
    case ValueKind::Flag: return Chance(60) ? "yes" : "no";
    case ValueKind::Code: return m_sections[sectionIndex].name + (Chance(30) ? "ART" : "");
    case ValueKind::Text:
        return std::string(kAdjectives[Below(Count(kAdjectives))]) + " " + kNouns[Below(Count(kNouns))] + " " +
               std::to_string(sectionIndex);
    case ValueKind::List: {
        std::string list = kBuildings[Below(Count(kBuildings))];
        for (size_t extra = Below(3); extra > 0; --extra) list += std::string(",") + kBuildings[Below(Count(kBuildings))];
        return list;
    }
    case ValueKind::Number: break;
    }
    const size_t scale = key == "Cost" ? 3000 : key == "Strength" ? 2000 : key == "Speed" ? 12 : 500;
    return std::to_string(Below(scale) + (key == "Speed" ? 1 : 0));
}

void RulesGenerator::PlanSections() {
    std::vector<std::string> allKeys(std::begin(kKeyNames), std::end(kKeyNames));
    m_sections.reserve(m_shape.sectionCount);
    // Games group their objects by type, so sections come category by category.
    std::vector<size_t> categoryOf(m_shape.sectionCount);
    for (size_t i = 0; i < m_shape.sectionCount; ++i) categoryOf[i] = Below(m_shape.categoryCount);
    std::sort(categoryOf.begin(), categoryOf.end());

    for (size_t i = 0; i < m_shape.sectionCount; ++i) {
        Section section;
        section.category = categoryOf[i];
        GeneratedCategory& category = m_categories[section.category];
        // A few objects appear twice, spread over the file, the later one a patched copy.
        const size_t spacing = m_shape.duplicateSections ? m_shape.sectionCount / m_shape.duplicateSections : 0;
        const bool duplicate = spacing > 0 && i % spacing == spacing - 1 && !category.members.empty();
        section.name = duplicate ? category.members[Below(category.members.size())] : NewCode();
        category.members.push_back(section.name);
        m_sections.push_back(std::move(section));
        Section& planned = m_sections.back();

        std::vector<std::string> known;
        for (const auto& keys : category.pageKeys) known.insert(known.end(), keys.begin(), keys.end());
        // Most objects are small; a few carry long key lists (weighted towards the low end).
        const double u = (Next() % 1000000) / 1000000.0;
        const auto keyRange = static_cast<double>(m_shape.maxKeys - m_shape.minKeys + 1);
        size_t keyCount = m_shape.minKeys + static_cast<size_t>(keyRange * std::pow(u, 3.5));
        keyCount = std::min(keyCount, known.size());
        const size_t foreign = Chance(30) ? std::min<size_t>(1 + Below(2), (keyCount - 1) / 3) : 0;

        // "Name" first, then a random choice of the category's keys, then foreign ones.
        for (size_t k = known.size() - 1; k > 1; --k) std::swap(known[k], known[1 + Below(k)]);
        std::vector<std::string> keys(known.begin(), known.begin() + static_cast<std::ptrdiff_t>(keyCount - foreign));
        while (keys.size() < keyCount) {
            const std::string& candidate = allKeys[Below(allKeys.size())];
            if (std::find(known.begin(), known.end(), candidate) == known.end() &&
                std::find(keys.begin(), keys.end(), candidate) == keys.end())
                keys.push_back(candidate);
        }
        for (const auto& key : keys) {
            Line line{key, ValueFor(key, m_sections.size() - 1), "", false};
            if (Chance(5)) line.comment = Chance(50) ? "; was " + std::to_string(Below(1000)) : "; tuned";
            line.commentAbove = Chance(2);
            planned.lines.push_back(std::move(line));
        }
        if (Chance(40)) planned.commentsAbove.push_back("; " + planned.lines[0].value);
        if (Chance(8)) planned.commentsAbove.push_back("; TechLevel " + std::to_string(Below(11)));
        planned.blankAbove = !Chance(10);
        if (duplicate) planned.commentsAbove.push_back("; patched copy");
    }
    for (size_t d = 0; d < m_shape.duplicateKeys && d < m_sections.size(); ++d) {
        Section& section = m_sections[Below(m_sections.size())];
        std::string key = section.lines[Below(section.lines.size())].key;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        section.lines.push_back(Line{key, std::to_string(Below(100)), "; overrides the first", false});
    }

    // What a lookup by name finds: the keys of the first section of each name.
    std::unordered_set<std::string> seen;
    for (const auto& section : m_sections) {
        if (!seen.insert(section.name).second) continue;
        for (const auto& line : section.lines) m_existingKeys.emplace_back(section.name, line.key);
    }
}

void RulesGenerator::PlanLists() {
    m_documentLists.resize(m_categories.size());
    m_definitionLists.resize(m_categories.size());
    size_t gone = 0;
    for (size_t c = 0; c < m_categories.size(); ++c) {
        const GeneratedCategory& category = m_categories[c];
        std::unordered_set<std::string> listed;
        for (const auto& member : category.members) {
            if (!listed.insert(member).second) continue;  // a repeated name is listed once
            const unsigned roll = Next() % 100;
            if (roll < 92)
                (category.kind == 0 ? m_documentLists[c] : m_definitionLists[c]).push_back(member);
            else if (roll < 95)
                m_definitionLists[c].push_back(member);
            // the rest is left for the matching pass
        }
        // Lines whose section has left the game: the listed pass drops them.
        for (size_t n = Below(3); n > 0; --n) m_definitionLists[c].push_back("GONE" + std::to_string(gone++));
    }
}

std::vector<std::string> RulesGenerator::CategoryKeys(size_t category) const {
    std::vector<std::string> keys;
    for (const auto& page : m_categories[category].pageKeys) keys.insert(keys.end(), page.begin(), page.end());
    return keys;
}

std::vector<std::string> RulesGenerator::DocumentListSections() const {
    std::vector<std::string> names;
    for (const auto& category : m_categories)
        if (category.kind == 0) names.push_back(category.name);
    return names;
}

std::string RulesGenerator::RenderDocument(bool asDefault) const {
    // The default copy is the document as shipped: a few values differ and a few of the newest
    // sections and list lines are not there yet.
    uint64_t state = m_shape.seed * 0xD1B54A32D192ED03ull + 7;
    auto differs = [&state](unsigned percent) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(state >> 33) % 100 < percent;
    };
    std::string text;
    text.reserve(m_sections.size() * 400);
    auto line = [&text](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
        text.append(a).append(b).append(c).append("\r\n");
    };

    line("; Rules of the game: units, weapons and buildings");
    line("; Edited by hand; keep a copy before you change anything");
    line("[General]");
    line("Name=Rules");
    line("BuildSpeed=.7");
    line("RefundPercent=50% ; of the cost");
    line("MaximumQueuedObjects=5");
    line("Veteran=Ratio=3.0");

    for (size_t c = 0; c < m_categories.size(); ++c) {
        if (m_categories[c].kind != 0) continue;
        line("");
        line("; list of ", m_categories[c].name);
        line("[", m_categories[c].name, "]");
        const auto& list = m_documentLists[c];
        const size_t shown = asDefault ? list.size() - list.size() / 50 : list.size();
        for (size_t i = 0; i < shown; ++i)
            line(std::to_string(i + 1), "=", list[i] + (i % 37 == 5 ? " ; new in this version" : ""));
    }

    for (const auto& section : m_sections) {
        if (asDefault && differs(2)) continue;
        if (section.blankAbove) line("");
        for (const auto& comment : section.commentsAbove) line(comment);
        line("[", section.name, "]");
        for (const auto& entry : section.lines) {
            if (entry.commentAbove) line("; ---");
            std::string value = asDefault && differs(10) ? entry.value + "0" : entry.value;
            if (!entry.comment.empty()) value += " " + entry.comment;
            line(entry.key, "=", value);
        }
    }
    line("");
    line("; end of rules");
    return text;
}

std::string RulesGenerator::RulesText() const { return RenderDocument(false); }

std::string RulesGenerator::DefaultText() const { return RenderDocument(true); }

std::string RulesGenerator::DefinitionText() const {
    std::string text;
    auto line = [&text](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
        text.append(a).append(b).append(c).append("\r\n");
    };
    line("[GeneralSetup]");
    line("Title=Rules editor");
    line("VariantAllowed=4");
    line("NumberOfMain=", std::to_string(std::min<size_t>(m_categories.size(), 20)));
    line("");
    line("[AllSections]");
    for (const auto& category : m_categories) {
        std::string value = std::to_string(category.kind);
        for (const auto& page : category.pages) value += "," + page;
        line(category.name, "=", value);
    }
    for (const auto& category : m_categories) {
        for (size_t p = 0; p < category.pages.size(); ++p) {
            line("");
            line("[", category.pages[p], "]");
            for (const auto& key : category.pageKeys[p]) {
                switch (KindOf(key)) {
                case ValueKind::Armor: line(key, "=Armor type ~@BASIC none,flak,plate,light,medium,heavy@~"); break;
                case ValueKind::Weapon: line(key, "=Weapon ~@Weapons@~"); break;
                case ValueKind::Flag: line(key, "=yes or no ~@BASIC yes,no@~"); break;
                default: line(key, "=", key + " of the object"); break;
                }
            }
        }
    }
    for (size_t c = 0; c < m_categories.size(); ++c) {
        const auto& list = m_definitionLists[c];
        if (list.empty()) continue;
        line("");
        line("[", m_categories[c].name, "]");
        // Numbers of a kind 0 category continue above the document's own list.
        const size_t first = m_documentLists[c].size() + 1;
        for (size_t i = 0; i < list.size(); ++i) line(std::to_string(first + i), "=", list[i]);
    }
    line("");
    line("[Unknown!]");
    return text;
}

void RulesGenerator::WriteFile(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace velmora::bench
