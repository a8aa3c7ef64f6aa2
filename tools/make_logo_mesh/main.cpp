// Writes the group's extruded logo mesh: counts, vertices and faces, little-endian.
#include <cstdio>
#include <string>

#include "file_output/atomic_file.h"
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

  std::string error;
  if (!WriteFileAtomically(outputPath, bytes, error)) {
    std::fprintf(stderr, "make_logo_mesh: %s\n", error.c_str());
    return 1;
  }
  if (!objPath.empty()) {
    std::string obj;
    for (const auto& v : mesh.vertices) {
      obj += "v " + std::to_string(v.x) + " " + std::to_string(v.y) + " " + std::to_string(v.z) + "\n";
    }
    for (const auto& face : mesh.faces) {
      obj += "f " + std::to_string(face[0] + 1) + " " + std::to_string(face[1] + 1) + " " +
             std::to_string(face[2] + 1) + "\n";
    }
    if (!WriteFileAtomically(objPath, obj.data(), obj.size(), error)) {
      std::fprintf(stderr, "make_logo_mesh: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("%zu vertices, %zu faces\n", mesh.vertices.size(), mesh.faces.size());
  return 0;
}
