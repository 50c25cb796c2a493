// Writes the seed corpora of the fuzz targets: small files made by the
// program's own writers (the container writer, the chunk encoders, the card
// tree generator, the BMP writer). The FAR reader has no writer in the
// program; its seeds come from the test builder.
//
// Usage: jf_fuzz_make_corpus CORPUSDIR   (writes CORPUSDIR/<target>/<name>)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "careers/BmpFile.h"
#include "careers/CareerChunk.h"
#include "careers/CareerDatabase.h"
#include "careers/ChanceCardCodec.h"
#include "careers/CodeTree.h"
#include "careers/GlobalOptions.h"
#include "iff/StringTable.h"
#include "support/BmpBuilder.h"
#include "support/CareerBuilders.h"
#include "support/FarBuilder.h"

namespace jf::fuzz {
namespace {

namespace fsys = std::filesystem;

fsys::path gRoot;
int gFailures = 0;

void put(const std::string& target, const std::string& name, const Bytes& bytes, int prefix = -1) {
    const fsys::path folder = gRoot / target;
    fsys::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    if (prefix >= 0) {
        const char p = static_cast<char>(prefix);
        out.write(&p, 1);
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
        ++gFailures;
    }
}

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        ++gFailures;
    }
}

Bytes encoded(ChunkObject& object) {
    Bytes body;
    require(object.encodedBody(body), "encode");
    return body;
}

// A string table with `rows` rows in the given form and `slots` languages.
StringTable stringTable(StringTable::Form form, std::size_t rows, int slots, const char* tag) {
    // The form is taken from a minimal body of that form.
    Bytes seed;
    switch (form) {
        case StringTable::CountFirst:
            seed = {0, 0};
            break;
        case StringTable::TextsOnly:
            seed = {0xFF, 0xFF, 0, 0};
            break;
        case StringTable::WithComments:
            seed = {0xFE, 0xFF, 0, 0};
            break;
        case StringTable::WithLanguages:
            seed = {0xFD, 0xFF, 0, 0};
            break;
    }
    StringTable table;
    require(decodeBody(table, seed.data(), seed.size(), true), "string table form");
    for (std::size_t r = 0; r < rows; ++r) {
        for (int s = 0; s < slots; ++s) {
            const std::string text = std::string(tag) + std::to_string(r) + "/" + std::to_string(s);
            table.setString(r, s, StringTable::kText, text);
            if (form == StringTable::WithComments || form == StringTable::WithLanguages) {
                table.setString(r, s, StringTable::kComment, r % 2 ? "note" : "");
            }
        }
    }
    return table;
}

JobLevel level(int seed) {
    JobLevel job;
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        const int v = (seed * 37 + static_cast<int>(i) * 11) % 200 - 100;
        job.value(i) = i == 17 ? 100 * (seed + 1) : v;
    }
    job.internalJobName = "Job" + std::to_string(seed);
    job.maleMesh = "B00" + std::to_string(seed) + "MA";
    job.femaleMesh = seed % 2 ? "B00" + std::to_string(seed) + "FA" : "";
    job.skinTexture = "lgt";
    return job;
}

CareerChunk career(const char* name, int levels) {
    CareerChunk chunk;
    chunk.internalCareerName = name;
    for (int i = 0; i < levels; ++i) {
        chunk.levels.push_back(level(i));
    }
    return chunk;
}

// Writes the view's container with the program's writer.
Bytes image(IffView& view) {
    Bytes bytes;
    require(view.table().buildImage(view.slot(), bytes), "container image");
    return bytes;
}

// A career container with tracks 1, 2 and 9 (the ids the cards target
// expects), their texts in two languages and the job-name copies.
Bytes careerFile(IffView& view) {
    const struct {
        std::uint16_t id;
        const char* name;
        int levels;
    } tracks[] = {{1, "Business", 3}, {2, "Military", 2}, {9, "Crime", 1}};
    for (const auto& t : tracks) {
        CareerChunk chunk = career(t.name, t.levels);
        const Bytes carr = encoded(chunk);
        require(view.addBytes(kTypeCarr, t.id, t.name, carr.data(), carr.size()), "add CARR");
        StringTable texts = stringTable(StringTable::WithLanguages, 33, 2, t.name);
        const Bytes str = encoded(texts);
        require(view.addBytes(kTypeStr, t.id, t.name, str.data(), str.size()), "add STR#");
    }
    return image(view);
}

Bytes cardFileBase(NullFileSystem& fs) {
    IffFileTable table(fs);
    IffView view(table);
    GlobalOptions options;
    const std::int16_t values[] = {500, 30, 8, 15, 2, 40, -40, 25};
    for (std::size_t i = 0; i < kGlobalOptionCount; ++i) {
        options.setOption(i, values[i]);
    }
    const Bytes bcon = encoded(options);
    require(view.addBytes(kTypeBcon, kGlobalOptionsChunkId, "Options", bcon.data(), bcon.size()),
            "add BCON");
    StringTable texts = stringTable(StringTable::WithLanguages, 14, 2, "G");
    const Bytes str = encoded(texts);
    require(view.addBytes(kTypeStr, kGlobalTextsChunkId, "Texts", str.data(), str.size()),
            "add STR# 301");
    return image(view);
}

// The card file written by saveChanceCards for cards on tracks 1, 2 and 9.
Bytes cardFile(NullFileSystem& fs, std::uint32_t packs) {
    IffFileTable table(fs);
    IffView careerView(table);
    IffView careerSource(table);
    Bytes careers = careerFile(careerSource);
    require(openContainer(table, careerView, careers.data(), careers.size(), "Work.iff") &&
                careerView.loadAll(),
            "career container");
    CareerDatabase database;
    require(database.loadCareers(careerView), "loadCareers");

    const Bytes base = cardFileBase(fs);
    IffView cardView(table);
    require(openContainer(table, cardView, base.data(), base.size(), "CarPortal.iff") &&
                cardView.loadAll(),
            "card container");
    require(database.loadChanceCards(cardView, packs), "loadChanceCards");
    ChanceCard* card = database.chanceCard(0, 0);
    card->textIndex = 13;
    card->items = {CardItem::sound(CardItem::kSoundGood),
                   CardItem::budget(CardItem::kModeAdd, 250)};
    card = database.chanceCard(0, 2);
    card->textIndex = 14;
    card->items = {CardItem::sound(CardItem::kSoundBad),
                   CardItem::budget(CardItem::kModeSubtract, 100),
                   CardItem::skill(CardItem::kModeAdd, CardItem::kSkillLogic, 2),
                   CardItem::job(CardItem::kJobPromotionLevel, 1)};
    card = database.chanceCard(1, 1);
    card->items = {CardItem::skill(CardItem::kModeSubtract, CardItem::kSkillBody, 1),
                   CardItem::job(CardItem::kJobCareerPath, 9)};
    card = database.chanceCard(2, 0);
    card->textIndex = 1;
    card->items = {CardItem::budget(CardItem::kModeAdd, 65535)};
    require(database.saveChanceCards(cardView, packs), "saveChanceCards");
    return backingBytes(cardView);
}

Bitmap picture(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(x, y,
                            {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 5),
                             static_cast<std::uint8_t>((x + y) * 3)});
        }
    }
    return bitmap;
}

void makeCorpus() {
    NullFileSystem fs;

    // iff: a career file, a card file, an empty container.
    {
        IffFileTable table(fs);
        IffView view(table);
        put("iff", "careers.iff", careerFile(view));
        put("iff", "carportal.iff", cardFileBase(fs));
        IffView empty(table);
        put("iff", "empty.iff", image(empty));
    }

    // far: archives holding a container and an icon strip.
    {
        IffFileTable table(fs);
        IffView view(table);
        GlobalOptions options;
        options.setOption(0, 1);
        const Bytes bcon = encoded(options);
        view.addBytes(kTypeBcon, 4097, "x", bcon.data(), bcon.size());
        const Bytes small = image(view);
        const Bytes strip = encodeBitmapFile(picture(4, 6));
        put("far", "two.far",
            buildFarArchive({{"GameData\\Objects\\CarPortal.iff", small},
                             {"cpanel\\Buttons\\JobIconMultiButton.BMP", strip}}));
        put("far", "short-lengths.far", buildFarArchive({{"AB.iff", small}, {"c", {}}}, true));
        put("far", "empty.far", buildFarArchive({}));
    }

    // str: each of the four forms.
    {
        StringTable countFirst = stringTable(StringTable::CountFirst, 5, 1, "c");
        put("str", "count-first", encoded(countFirst), 1);
        StringTable textsOnly = stringTable(StringTable::TextsOnly, 5, 1, "t");
        put("str", "texts-only", encoded(textsOnly), 1);
        StringTable comments = stringTable(StringTable::WithComments, 4, 1, "m");
        put("str", "comments", encoded(comments), 1);
        StringTable languages = stringTable(StringTable::WithLanguages, 3, 4, "l");
        put("str", "languages", encoded(languages), 1);
    }

    // carr: the packed form as written, and the plain form.
    {
        CareerChunk packed = career("Business", 4);
        put("carr", "packed", encoded(packed), 1);
        CareerChunk none = career("Empty", 0);
        put("carr", "no-levels", encoded(none), 1);
        put("carr", "plain", test::buildPlainCareerBody("Plain", {level(1), level(2)}), 1);
    }

    // bhav: a generated card tree, a small header-form tree, an old-form tree.
    {
        TrackCards cards;
        cards[0].textIndex = 3;
        cards[0].items = {CardItem::sound(CardItem::kSoundGood),
                          CardItem::budget(CardItem::kModeSubtract, 40),
                          CardItem::skill(CardItem::kModeAdd, CardItem::kSkillCooking, 1)};
        InstructionList block;
        require(buildTrackBlock(1, cards, block), "track block");
        std::vector<GeneratedTree> trees;
        require(assembleCardTrees(
                    {block}, {}, kCardRootTreeId, [](std::uint16_t) { return false; }, trees),
                "card trees");
        Bytes body;
        require(!trees.empty() && encodeCardTree(trees[0], body), "card tree body");
        Bytes withStart = {0};
        withStart.insert(withStart.end(), body.begin(), body.end());
        put("bhav", "card-tree", withStart, 1);

        CodeTree tree;
        tree.setTreeType(1);
        tree.setLocalCount(2);
        Instruction a;
        a.opcode = 2;
        a.trueTarget = 1;
        a.falseTarget = kTargetFalse;
        Instruction b;
        b.opcode = 4200;
        b.trueTarget = 0;
        b.falseTarget = 7;
        tree.setInstructions({a, b});
        Bytes small = encoded(tree);
        small.insert(small.begin(), 1);
        put("bhav", "cycle", small, 1);
        // Old form: the signature word is the count.
        Bytes old = {1, 2, 0};
        old.push_back(a.opcode & 0xFF);
        old.push_back(a.opcode >> 8);
        old.push_back(kTargetTrue);
        old.push_back(kTargetFalse);
        old.insert(old.end(), 8, 0);
        put("bhav", "old-form", old, 1);
    }

    // bcon: the eight options, and a table with its flag set.
    {
        GlobalOptions options;
        const std::int16_t values[] = {500, 30, 8, 15, 2, 40, -40, 25};
        for (std::size_t i = 0; i < kGlobalOptionCount; ++i) {
            options.setOption(i, values[i]);
        }
        put("bcon", "options", encoded(options), 1);
        GlobalOptions flagged;
        flagged.setFlag(true);
        flagged.setOption(2, -1);
        put("bcon", "flagged", encoded(flagged), 1);
    }

    // cards: written by saveChanceCards, for the base root and the expansion root.
    put("cards", "carportal", cardFile(fs, 0x01), 0x01);
    put("cards", "carportal-expansion", cardFile(fs, 0x21), 0x21);
    put("cards", "no-trees", cardFileBase(fs), 0x01);

    // car, cbk: written by Career > Export and Career > Backup; a predecessor
    // file is the .car file with the 32-byte header of version 1.
    {
        Bytes car;
        Bytes cbk;
        require(makeExchangeSeeds(car, cbk), "exchange files");
        put("car", "track.car", car, 1);
        put("cbk", "backup.cbk", cbk, 0);
        IffFileTable table(fs);
        IffView view(table);
        require(openContainer(table, view, car.data(), car.size()) && view.loadAll(), "car file");
        Bytes header = {1, 0, 0, 0};
        const std::string text = "Exported Career Track v1.0";
        header.insert(header.end(), text.begin(), text.end());
        header.resize(32, 0);
        require(view.addBytes(makeTypeCode('I', 'N', 'F', 'O'), 0, "Information header",
                              header.data(), header.size()),
                "predecessor header");
        put("car", "predecessor.iff", image(view), 2);
    }

    // bmp: the writer's 24-bit files, and the other depths from the builder.
    {
        put("bmp", "rgb24", encodeBitmapFile(picture(5, 3)), 0);
        put("bmp", "button", encodeBitmapFile(picture(112, 22)), 2);
        test::BmpRecipe indexed;
        indexed.width = 3;
        indexed.height = 2;
        indexed.bitsPerPixel = 8;
        indexed.table = {0xFF0000, 0x00FF00, 0x0000FF};
        indexed.pixels = {0, 1, 2, 2, 1, 0};
        put("bmp", "indexed8", test::buildBmp(indexed), 0);
        test::BmpRecipe mono = indexed;
        mono.bitsPerPixel = 1;
        mono.table = {0x000000, 0xFFFFFF};
        mono.pixels = {0, 1, 0, 1, 0, 1};
        mono.height = -2;
        put("bmp", "mono-top-down", test::buildBmp(mono), 0);
        test::BmpRecipe rle = indexed;
        rle.compression = 1;
        // Two rows of run-length data: a run, an absolute run, end of line, end of picture.
        rle.rawPixelData = {3, 1, 0, 0, 0, 3, 2, 1, 0, 0, 0, 0, 0, 1};
        put("bmp", "rle8", test::buildBmp(rle), 0);
        test::BmpRecipe fields;
        fields.width = 2;
        fields.height = 2;
        fields.bitsPerPixel = 16;
        fields.compression = 3;
        fields.writeMasks = true;
        fields.masks = {0xF800, 0x07E0, 0x001F};
        fields.pixels = {test::pack565(31, 0, 0), test::pack565(0, 63, 0), test::pack565(0, 0, 31),
                         0xFFFF};
        put("bmp", "bitfields565", test::buildBmp(fields), 0);
    }
}

}  // namespace
}  // namespace jf::fuzz

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUSDIR\n", argv[0]);
        return 2;
    }
    jf::fuzz::gRoot = argv[1];
    jf::fuzz::makeCorpus();
    return jf::fuzz::gFailures == 0 ? 0 : 1;
}
