// agvsim.Map: an occupancy grid from a map file or from numpy arrays, which the passes drive in.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>

#include <memory>
#include <string>
#include <utility>

#include "agv/agv.h"
#include "python/module.h"
#include "mapfile/mapfile.h"

namespace py = pybind11;

namespace agvpy {

namespace {

using Grid = py::array_t<bool, py::array::c_style | py::array::forcecast>;

// A map of Python: the grid is never changed once made, so results may share it.
struct PyMap {
  std::shared_ptr<const agv::Map> map;
};

// The cells of one kind as a boolean array of rows (row 0 the top row) and columns.
py::array_t<bool> cellsof(const agv::Map& m, agv::Cell kind) {
  py::array_t<bool> out({m.height, m.width});
  bool* v = out.mutable_data();
  for (std::size_t i = 0; i < m.cells.size(); ++i) v[i] = m.cells[i] == kind;
  return out;
}

// A 2-D array of truth values, or ValueError naming the argument.
Grid gridof(const py::handle& a, const char* name) {
  Grid g;
  try {
    g = Grid::ensure(a);
  } catch (const py::error_already_set&) {
  }
  if (!g) throw py::type_error(std::string("Map(): ") + name + " must be an array of truth values");
  if (g.ndim() != 2)
    throw py::value_error(std::string("Map(): ") + name + " must have two axes (rows, columns), not " +
                          std::to_string(g.ndim()));
  return g;
}

PyMap make(const py::handle& occupied, double resolution, const std::array<double, 3>& origin,
           const py::object& unknown) {
  const Grid occ = gridof(occupied, "occupied");
  if (occ.shape(0) < 1 || occ.shape(0) > agv::kMapMaxSide || occ.shape(1) < 1 ||
      occ.shape(1) > agv::kMapMaxSide)
    throw py::value_error("Map(): the map's sides must be from 1 to " +
                          std::to_string(agv::kMapMaxSide) + " cells");
  auto m = std::make_shared<agv::Map>();
  m->height = static_cast<int>(occ.shape(0));
  m->width = static_cast<int>(occ.shape(1));
  m->resolution = resolution;
  m->x = origin[0];
  m->y = origin[1];
  m->yaw = origin[2];
  Grid unk;
  const bool unknowns = !unknown.is_none();
  if (unknowns) {
    unk = gridof(unknown, "unknown");
    if (unk.shape(0) != occ.shape(0) || unk.shape(1) != occ.shape(1))
      throw py::value_error("Map(): unknown must have the shape of occupied");
  }
  m->cells.resize(static_cast<std::size_t>(occ.size()));
  const bool* o = occ.data();
  for (std::size_t i = 0; i < m->cells.size(); ++i)
    m->cells[i] = o[i] ? agv::Cell::Occupied : agv::Cell::Free;
  if (unknowns) {
    const bool* u = unk.data();
    for (std::size_t i = 0; i < m->cells.size(); ++i)
      if (u[i] && !o[i]) m->cells[i] = agv::Cell::Unknown;
  }
  const std::string err = agv::checkmap(*m);
  if (!err.empty()) throw py::value_error("Map(): " + err);
  return PyMap{std::move(m)};
}

PyMap load(const std::string& path) {
  auto m = std::make_shared<agv::Map>();
  std::string err;
  bool ok = false;
  {
    py::gil_scoped_release free;
    ok = agv::mapfile::loadmap(path, *m, err);
  }
  if (!ok) throw py::value_error(err);
  return PyMap{std::move(m)};
}

}  // namespace

std::shared_ptr<const agv::Map> mapof(const py::object& m) {
  if (m.is_none()) return nullptr;
  if (!py::isinstance<PyMap>(m))
    throw py::type_error("map must be an agvsim.Map or None, not " + typename_of(m));
  return m.cast<const PyMap&>().map;
}

std::unique_ptr<agv::MapIndex> indexof(const py::object& map, const agv::Params& p) {
  const std::shared_ptr<const agv::Map> world = mapof(map);
  if (world == nullptr) return nullptr;
  auto ix = std::make_unique<agv::MapIndex>();
  bool built = false;
  {
    py::gil_scoped_release free;
    built = agv::buildindex(*world, p, *ix);
  }
  if (!built) throw py::value_error(agv::checkparams(p));
  return ix;
}

void bindmap(py::module_& m) {
  py::class_<PyMap>(m, "Map",
                    "An occupancy grid the passes drive in: cells free, occupied or unknown, row 0 "
                    "the top row (as in the map's image), placed in the world by the pose of its "
                    "lower-left corner.\n\n"
                    "Map(occupied, resolution, origin=(0, 0, 0), unknown=None): from 2-D arrays of "
                    "truth values (rows, columns); resolution the side of a cell [m], origin "
                    "(x [m], y [m], yaw [rad]).  Map.load(path): from a map file (YAML naming a "
                    "PGM or PNG image).  A bad map raises ValueError with the reason.")
      .def(py::init(&make), py::arg("occupied"), py::arg("resolution"),
           py::arg("origin") = std::array<double, 3>{0.0, 0.0, 0.0}, py::arg("unknown") = py::none())
      .def_static("load", &load, py::arg("path"), "The map of a map file (YAML and its image).")
      .def_property_readonly("width", [](const PyMap& p) { return p.map->width; },
                             "columns [cells]")
      .def_property_readonly("height", [](const PyMap& p) { return p.map->height; },
                             "rows [cells]")
      .def_property_readonly("resolution", [](const PyMap& p) { return p.map->resolution; },
                             "the side of a cell [m]")
      .def_property_readonly("origin", [](const PyMap& p) {
        return py::make_tuple(p.map->x, p.map->y, p.map->yaw);
      }, "the lower-left corner: x [m], y [m], yaw [rad]")
      .def_property_readonly("size", [](const PyMap& p) {
        return py::make_tuple(p.map->width, p.map->height);
      }, "(columns, rows) [cells]")
      .def_property_readonly("extent", [](const PyMap& p) {
        return py::make_tuple(p.map->widthMetres(), p.map->heightMetres());
      }, "(width, height) [m]")
      .def_property_readonly("free", [](const PyMap& p) { return cellsof(*p.map, agv::Cell::Free); },
                             "the free cells (rows, columns)")
      .def_property_readonly("occupied", [](const PyMap& p) {
        return cellsof(*p.map, agv::Cell::Occupied);
      }, "the occupied cells (rows, columns)")
      .def_property_readonly("unknown", [](const PyMap& p) {
        return cellsof(*p.map, agv::Cell::Unknown);
      }, "the unknown cells (rows, columns)")
      .def("__reduce__", [](const PyMap& p) {
        return py::make_tuple(py::module_::import("agvsim").attr("Map"),
                              py::make_tuple(cellsof(*p.map, agv::Cell::Occupied),
                                             p.map->resolution,
                                             py::make_tuple(p.map->x, p.map->y, p.map->yaw),
                                             cellsof(*p.map, agv::Cell::Unknown)));
      })
      .def("__repr__", [](const PyMap& p) {
        return "<agvsim.Map of " + std::to_string(p.map->width) + " x " +
               std::to_string(p.map->height) + " cells of " +
               py::repr(py::float_(p.map->resolution)).cast<std::string>() + " m>";
      });
}

}  // namespace agvpy
