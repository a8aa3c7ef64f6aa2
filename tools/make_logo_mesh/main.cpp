// Writes the group's extruded logo mesh: counts, vertices and faces, little-endian.
#include <cstdio>
#include <string>

#include "tools/command_line/command_line.h"
#include "tools/make_logo_mesh/logo_mesh.h"

int main(int argc, char** argv) {
  CLI::App app{"Builds the extruded \"ORR\" logo and writes it as a mesh file, deterministically.",
               "make_logo_mesh"};
  vesk::tool::PrepareCommandLine(app);
  std::string outputPath = "resources/core/logo_mesh.bin";
  std::string objPath;
  app.add_option("--output", outputPath,
                 "Where to write the mesh: u16 vertex count, u16 face count,\n"
                 "vertices as 3 x i16 (x, y, z), faces as 3 x u16, little-endian")
      ->capture_default_str();
  app.add_option("--obj", objPath, "Also write the mesh as Wavefront OBJ for inspection");
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  const auto outlines = logo_mesh::LogoOutlines();
  for (size_t o = 0; o < outlines.size(); ++o) {
    if (!logo_mesh::IsSimple(outlines[o]) || logo_mesh::Triangulate(outlines[o]).size() + 2 != outlines[o].size()) {
      std::fprintf(stderr, "make_logo_mesh: outline %zu is not a simple counter-clockwise polygon\n", o);
      return 1;
    }
  }
  const logo_mesh::Mesh mesh = logo_mesh::BuildLogoMesh(outlines);
  const std::vector<uint8_t> bytes = logo_mesh::Serialise(mesh);

  std::FILE* f = std::fopen(outputPath.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "make_logo_mesh: cannot open %s for writing\n", outputPath.c_str());
    return 1;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "make_logo_mesh: cannot write %s\n", outputPath.c_str());
    return 1;
  }
  if (!objPath.empty()) {
    std::FILE* obj = std::fopen(objPath.c_str(), "w");
    if (!obj) {
      std::fprintf(stderr, "make_logo_mesh: cannot open %s for writing\n", objPath.c_str());
      return 1;
    }
    for (const auto& v : mesh.vertices) std::fprintf(obj, "v %d %d %d\n", v.x, v.y, v.z);
    for (const auto& face : mesh.faces) std::fprintf(obj, "f %d %d %d\n", face[0] + 1, face[1] + 1, face[2] + 1);
    std::fclose(obj);
  }
  std::printf("%zu vertices, %zu faces\n", mesh.vertices.size(), mesh.faces.size());
  return 0;
}
