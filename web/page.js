// The page: the form of the dialogue and the parameters, the window's picture with its keys,
// agvbatch's summary and files.  The address is the state: every input is an entry of its
// query string, so a link shows the same pass in the same view.
"use strict";

const query = new URLSearchParams(location.search);
const lang = query.get("lang") || "ja";

// A text of the console's catalog (po/en.po) in the page's language: the Japanese text is the
// id, CATALOG (catalog.js) its English; printf's %d and the like take the arguments.
function tr(id, ...args) {
  let s = lang === "en" && id in CATALOG ? CATALOG[id] : id;
  for (const a of args) s = s.replace(/%[-+ 0-9.]*[dfs]/, String(a));
  return s.trim();
}

const TEXTS = {
  title: tr("\n移動ロボット(AGV)の経路生成と経路追従運動のシミュレーション"),
  kind: tr("経路の種類"),
  ptp: tr("PTP経路"),
  cp: tr("CP曲線"),
  route: tr("ルート"),
  start: tr("始点　x0[m] y0[m] θ0°="),
  end: tr("\n    入力　xf[m] yf[m] θf°="),
  menu: tr("\n\nCP経路曲線を設定・変更　　曲線番号入力"),
  forms: tr("\n I<10:y=f(x), 10<I:r=f(β)    定数は全て正値"),
  advice: tr("\n 定数を設定　A,B=0-10 間の値とする"),
  routeHelp: tr("ルート：経由点 x[m],y[m],θ[deg] を一行に一点（見出し x,y,th，# から行末はコメント）"),
  params: tr("パラメータ（名前，値，単位，範囲）"),
  keys: tr("\n(1) 描画画面上でキーによる操作選択"),
  play: tr("再生"),
  stop: tr("停止"),
  files: tr("計算結果のファイル（agvbatch と同じ CSV）"),
  map: tr("地図（YAML と画像）"),
  noMap: tr("地図なし"),
  ownMap: tr("自分の地図：YAML と画像のファイルを選ぶ"),
  lang: tr("言語"),
};
// The curve menu and the prompts of the constants, by curve number.
const MENU = {
  1: tr("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) "),
  2: tr("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) "),
  3: tr("\n I=3  : 2次関数 y=A*(x/L)^2 "),
  4: tr("\n I=4  : 3次関数 y=A*(x/L)^3 "),
  11: tr("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) "),
  12: tr("\n I=12 : アルキメデス螺旋 r=A*(β/2π) "),
  13: tr("\n I=13 : カーディオイド r=A*(B-cosβ) "),
  14: tr("\n I=14 : 正葉線 r=A*sin(nβ) "),
  16: tr("\n I=16 : 波打ち円 r=R+A*cos(nβ) "),
};
const PROMPT = {
  1: tr("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,Lを設定 A L="),
  2: tr("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) を選択 A L="),
  3: tr("\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L="),
  4: tr("\n I=4  : 3次関数 y=A*(x/L)^3 を選択 A L="),
  11: tr("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B="),
  12: tr("\n I=12 : アルキメデス螺旋 r=A*(β/2π) を選択 Aと巻数(任意正数)入力 A n="),
  13: tr("\n I=13 : カーディオイド r=A(B-cosβ) を選択 A="),
  14: tr("\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)="),
  16: tr("\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択. R=2  入力 A 波打ち数n="),
};
const UNDEFINED = (I) =>
  tr("\ncpsetup() I=%d この定数では曲線が定まらない(0で割る，範囲が無限など)．定数を設定し直し", I);
const DRAWINGS = {
  a: tr("\n(3) 円弧－直線経路の定速・可変速運動を描画"),
  b: tr("\n(3) クロソイド－直線経路の定速・可変速運動を描画"),
};
const MECHANISMS = {
  1: tr("\n(1-1) 1:2DW1Cタイプ"),
  2: tr("\n(1-1) 2:1FDW1FSタイプ"),
  3: tr("\n(1-1) 3:1RDW1FSタイプ"),
};
const KEY_HELP = [
  [tr("\n(1-1) '1' '2' '3' : AGVのタイプ選択"), "123"],
  [tr("\n(1-2) 'p' 'c'     : PTP，CPの選択"), "pc"],
  [tr("\n(2-1) 'a' 'b'：円弧－直線軌道AGV or CLD－直線軌道AGV描画の選択"), "ab"],
  [tr("\n(2-2) 's'    ：運動継続"), "s"],
  [tr("\n(2-3) '0'    ：運動初期に戻す"), "0"],
  [tr("\n(2-4) 'x' 'X' 'y' 'Y'：ロボット図の左右上下移動"), "xXyY"],
  [tr("\n(2-5) 'w' 'W'：ロボット図の縮小拡大"), "wW"],
];
const LEGEND = {
  p: [tr("\n\n(1) 理論経路（円弧－直線(赤)，クロソイド－直線(緑)の２種）"),
      tr("\n(2) 定速走行（追従できずに経路からずれる）と可変速走行の２種のAGV運動")],
  c: [tr("\n\n(1) 理論経路（赤)"), tr("\n(2) AGV走行軌道（青）")],
};

const POSES = ["x0", "y0", "th0", "xf", "yf", "thf"];
const POSE_DEFAULTS = {x0: "0", y0: "0", th0: "0", xf: "2", yf: "3", thf: "0"};
const ROUTE_DEFAULT = "x,y,th\n0,0,0\n4,2,90\n0,6,180\n-3,0,-90\n";
const VIEW = ["mech", "drawing", "step", "zoom", "panx", "pany"];
const WINDOW_KEYS = "123abs0xXyYwW";

// The simulator (web/main.cpp) and what the page keeps of it.
let sim = null;
let params = [];  // the parameter table: {name, unit, lo, hi, whole, about, names, dflt}
let curves = {};  // constants of each curve: [{name, dflt}]
const timing = {load: 0, firstFrame: -1, pass: 0};
const $ = (id) => document.getElementById(id);
const el = (tag, props = {}, ...kids) => {
  const e = Object.assign(document.createElement(tag), props);
  e.append(...kids);
  return e;
};

// A string into the simulator's memory for the call fn(pointers...).
function withStrings(strings, fn) {
  const ptrs = strings.map((s) => {
    const n = sim.lengthBytesUTF8(s) + 1;
    const p = sim._malloc(n);
    sim.stringToUTF8(s, p, n);
    return p;
  });
  try {
    return fn(...ptrs);
  } finally {
    ptrs.forEach((p) => sim._free(p));
  }
}
const text = (ptr) => sim.UTF8ToString(ptr);
const lines = (ptr) => text(ptr).split("\n").filter((l) => l !== "");

// ---- the form ----

function field(name, value, size = 6) {
  return el("span", {className: "field"},
            el("label", {htmlFor: "in-" + name, textContent: name + " "}),
            el("input", {id: "in-" + name, name, value, size, spellcheck: false}),
            el("span", {className: "msg", id: "msg-" + name}));
}

function buildForm() {
  document.title = TEXTS.title;
  $("title").textContent = TEXTS.title;
  $("lang").append(TEXTS.lang + ": ",
                   el("a", {href: linkWith({lang: null}), textContent: "日本語"}), " | ",
                   el("a", {href: linkWith({lang: "en"}), textContent: "English"}),
                   el("span", {className: "msg", id: "msg-lang"}));
  const kinds = el("fieldset", {id: "kinds"}, el("legend", {textContent: TEXTS.kind}));
  for (const k of ["ptp", "cp", "route"])
    kinds.append(el("label", {}, el("input", {type: "radio", name: "path", value: k, id: "path-" + k}),
                    " " + TEXTS[k] + " "));
  kinds.append(el("span", {className: "msg", id: "msg-path"}));
  const ptp = el("fieldset", {id: "ptp"}, el("legend", {textContent: TEXTS.ptp}),
                 el("div", {textContent: TEXTS.start}), ...POSES.slice(0, 3).map((n) => field(n, "")),
                 el("div", {textContent: TEXTS.end}), ...POSES.slice(3).map((n) => field(n, "")));
  const menu = el("select", {id: "in-I", name: "I"});
  for (const I of Object.keys(curves)) menu.append(el("option", {value: I, textContent: MENU[I]}));
  const cp = el("fieldset", {id: "cp"}, el("legend", {textContent: TEXTS.cp}),
                el("div", {textContent: TEXTS.menu}), el("div", {textContent: TEXTS.forms}), menu,
                el("span", {className: "msg", id: "msg-I"}),
                el("div", {textContent: TEXTS.advice, className: "advice"}),
                el("div", {id: "prompt"}), el("span", {id: "consts"}));
  const route = el("fieldset", {id: "route"}, el("legend", {textContent: TEXTS.route}),
                   el("div", {textContent: TEXTS.routeHelp}),
                   el("textarea", {id: "in-route", name: "route", rows: 6, cols: 32, spellcheck: false}),
                   el("div", {className: "msg", id: "msg-route"}));
  const table = el("table", {id: "params"});
  for (const p of params) {
    const range = p.names ? p.names.split(",").join(", ") + ` (${p.lo} … ${p.hi})`
                          : `${p.lo} … ${p.hi}` + (p.whole ? ", whole" : "");
    table.append(el("tr", {title: p.about},
                    el("td", {}, el("label", {htmlFor: "in-" + p.name, textContent: p.name})),
                    el("td", {}, el("input", {id: "in-" + p.name, name: p.name, size: 8,
                                               placeholder: p.dflt, spellcheck: false})),
                    el("td", {textContent: p.unit}), el("td", {textContent: range}),
                    el("td", {textContent: p.about, className: "about"}),
                    el("td", {className: "msg", id: "msg-" + p.name})));
  }
  const maps = el("select", {id: "in-map", name: "map"},
                  el("option", {value: "", textContent: TEXTS.noMap}),
                  ...MAPS.map((m) => el("option", {value: m, textContent: m})));
  const own = el("input", {type: "file", id: "mapfiles", multiple: true, accept: ".yaml,.yml,.pgm,.png"});
  const map = el("fieldset", {id: "mapbox"}, el("legend", {textContent: TEXTS.map}), maps, " ",
                 el("label", {htmlFor: "mapfiles", textContent: TEXTS.ownMap + " "}), own,
                 el("div", {className: "msg", id: "msg-map"}));
  $("form").append(kinds, ptp, cp, route, map,
                   el("details", {id: "paramsbox"}, el("summary", {textContent: TEXTS.params}), table));
  // The keys of the window as buttons, with the help the dialogue prints for them.
  const keys = $("keys");
  keys.append(el("div", {textContent: TEXTS.keys}));
  for (const [help, ks] of KEY_HELP) {
    const row = el("div", {className: "keyrow"});
    for (const k of ks) row.append(el("button", {type: "button", textContent: k, onclick: () => press(k)}));
    row.append(" " + help);
    keys.append(row);
  }
  keys.append(el("button", {type: "button", id: "play", textContent: TEXTS.play, onclick: play}),
              el("select", {id: "in-mech", name: "mech"},
                 ...[1, 2, 3].map((m) => el("option", {value: m, textContent: MECHANISMS[m]}))),
              el("select", {id: "in-drawing", name: "drawing"},
                 ...["a", "b"].map((d) => el("option", {value: d, textContent: DRAWINGS[d]}))),
              el("span", {className: "msg", id: "msg-mech"}), el("span", {className: "msg", id: "msg-drawing"}),
              el("span", {className: "msg", id: "msg-step"}), el("span", {className: "msg", id: "msg-zoom"}),
              el("span", {className: "msg", id: "msg-panx"}), el("span", {className: "msg", id: "msg-pany"}));
  $("filesbox").prepend(el("div", {textContent: TEXTS.files}));
  $("form").addEventListener("change", async (e) => {
    if (e.target.id === "mapfiles") {
      const name = await chosenMap(e.target.files);
      if (name !== null) {
        if (![...$("in-map").options].some((o) => o.value === name))
          $("in-map").append(el("option", {value: name, textContent: name}));
        $("in-map").value = name;
      }
    } else if (e.target.name === "map") {
      mapProblem = "";
      if (e.target.value !== "") await shippedMap(e.target.value);
    }
    if (e.target.name === "I") showConsts(e.target.value, {});
    compute(formEntries(e.target.name === "path" ? e.target.value : null));
  });
  $("in-mech").addEventListener("change", (e) => press(e.target.value));
  $("in-drawing").addEventListener("change", (e) => press(e.target.value));
}

// The constant fields of curve I, with the values given.
function showConsts(I, given) {
  $("prompt").textContent = PROMPT[I] || "";
  $("consts").replaceChildren(...(curves[I] || []).map((c) => field(c.name, given[c.name] ?? c.dflt)));
}

// The kind shown: its part of the form.
function showKind(kind) {
  for (const k of ["ptp", "cp", "route"]) {
    $(k).hidden = k !== kind;
    $("path-" + k).checked = k === kind;
  }
}

// The entries of the form: its path kind, the fields of that kind and every parameter given;
// the mechanism and the drawing kept.
function formEntries(kind) {
  const e = new URLSearchParams();
  kind = kind || document.querySelector("input[name=path]:checked").value;
  e.set("path", kind);
  if (kind === "ptp")
    for (const n of POSES) if ($("in-" + n).value !== POSE_DEFAULTS[n]) e.set(n, $("in-" + n).value);
  if (kind === "cp") {
    e.set("I", $("in-I").value);
    for (const c of curves[$("in-I").value] || []) e.set(c.name, $("in-" + c.name).value);
  }
  if (kind === "route") e.set("route", $("in-route").value);
  if ($("in-map").value !== "") e.set("map", $("in-map").value);
  for (const p of params) if ($("in-" + p.name).value !== "") e.set(p.name, $("in-" + p.name).value);
  if ($("in-mech").value !== "1") e.set("mech", $("in-mech").value);
  if ($("in-drawing").value !== "a") e.set("drawing", $("in-drawing").value);
  return e;
}

// The form showing the entries (bad ones too, beside their messages).
function fillForm(e) {
  const kind = ["ptp", "cp", "route"].includes(e.get("path")) ? e.get("path") : "ptp";
  showKind(kind);
  for (const n of POSES) $("in-" + n).value = e.get(n) ?? POSE_DEFAULTS[n];
  const I = e.get("I") ?? "1";
  if (!(I in curves)) $("in-I").append(el("option", {value: I, textContent: "I=" + I}));
  $("in-I").value = I;
  showConsts(I, Object.fromEntries(e));
  $("in-route").value = e.get("route") ?? ROUTE_DEFAULT;
  const map = e.get("map") ?? "";
  if (![...$("in-map").options].some((o) => o.value === map))
    $("in-map").append(el("option", {value: map, textContent: map}));
  $("in-map").value = map;
  for (const p of params) $("in-" + p.name).value = e.get(p.name) ?? "";
}

// ---- maps ----

// What the map read last was refused for (shown beside the map's field until another is read).
let mapProblem = "";

// Bytes into the simulator's memory for the call fn(pointer, size).
function withBytes(bytes, fn) {
  const p = sim._malloc(Math.max(bytes.length, 1));
  sim.HEAPU8.set(bytes, p);
  try {
    return fn(p, bytes.length);
  } finally {
    sim._free(p);
  }
}

// A map read into the simulator from its YAML file's bytes (the file named yamlName) and the
// bytes of the image it names, which imageOf(name) gives (or a message): true when it is read.
async function readMap(yamlName, yaml, imageOf) {
  mapProblem = withStrings([yamlName], (n) => withBytes(yaml, (p, k) => text(sim._web_mapyaml(n, p, k))));
  if (mapProblem) return false;
  const image = await imageOf(text(sim._web_mapimage()));
  if (typeof image === "string") {
    mapProblem = image;
    return false;
  }
  mapProblem = withBytes(image, (p, k) => text(sim._web_mapbytes(p, k)));
  return !mapProblem;
}

// A map of the site (maps/NAME.yaml and its image).
async function shippedMap(name) {
  if (!MAPS.includes(name)) {
    mapProblem = `no map ${name} on this site (its maps: ${MAPS.join(", ")}): choose its files`;
    return false;
  }
  const get = async (f) => {
    const r = await fetch("maps/" + encodeURIComponent(f));
    return r.ok ? new Uint8Array(await r.arrayBuffer()) : `${f}: not on this site (${r.status})`;
  };
  return readMap(name + ".yaml", await get(name + ".yaml"), (image) => get(image.split("/").pop()));
}

// The map of the files the user chose, a YAML file and the image it names: its name (the YAML
// file's less .yaml), or null.
async function chosenMap(files) {
  const all = [...files];
  const yaml = all.find((f) => /\.ya?ml$/i.test(f.name));
  if (!yaml) {
    mapProblem = "choose a map's YAML file together with its image";
    return null;
  }
  const ok = await readMap(yaml.name, new Uint8Array(await yaml.arrayBuffer()), async (image) => {
    const f = all.find((g) => g.name === image.split("/").pop());
    return f ? new Uint8Array(await f.arrayBuffer()) : `${image}: choose it together with ${yaml.name}`;
  });
  return ok ? yaml.name.replace(/\.yaml$/, "") : null;
}

// ---- the pass, the picture and the address ----

let entries = new URLSearchParams();  // of the pass shown

function compute(e) {
  entries = e;
  for (const m of document.querySelectorAll(".msg")) m.textContent = "";
  sim._web_reset();
  for (const [k, v] of e) withStrings([k, v], (pk, pv) => sim._web_set(pk, pv));
  const t0 = performance.now();
  const ok = sim._web_run() === 1;
  timing.pass = performance.now() - t0;
  for (const l of lines(sim._web_errors())) {
    const [name, why] = l.split("\t");
    const box = $("msg-" + name) || $("msg-pass");
    box.textContent = (box.textContent ? box.textContent + "; " : "") + why;
    if (name === "pass" && e.get("path") === "cp" && why.includes("define no curve"))
      box.textContent += " — " + UNDEFINED(e.get("I"));
  }
  if (mapProblem) $("msg-map").textContent = mapProblem;  // why the map is not the one asked for
  $("summary").textContent = ok ? text(sim._web_summary()) : "";
  const files = $("files");
  files.replaceChildren();
  if (ok)
    for (const f of lines(sim._web_files()))
      files.append(el("li", {}, el("a", {href: "#", textContent: f, onclick: (ev) => {
        ev.preventDefault();
        download(f);
      }})));
  const kind = e.get("path") === "cp" ? "c" : "p";
  $("legend").replaceChildren(...LEGEND[kind].map((t) => el("div", {textContent: t})));
  draw();
  syncView();
}

function download(name) {
  const blob = new Blob([withStrings([name], (p) => text(sim._web_file(p)))], {type: "text/csv"});
  const a = el("a", {href: URL.createObjectURL(blob), download: name});
  a.click();
  URL.revokeObjectURL(a.href);
}

function draw() {
  sim._web_draw();
  if (timing.firstFrame < 0) timing.firstFrame = performance.now();
}

// The address and the view's selects after a pass or a key.
function syncView() {
  const view = new URLSearchParams(text(sim._web_view()));
  const q = new URLSearchParams();
  for (const [k, v] of entries) if (!VIEW.includes(k)) q.set(k, v);
  for (const [k, v] of view) q.set(k, v);
  if (lang !== "ja") q.set("lang", lang);
  $("in-mech").value = view.get("mech") ?? "1";
  $("in-drawing").value = view.get("drawing") ?? "a";
  history.replaceState(null, "", "?" + q.toString());
}

// The address with some entries changed (null: left out).
function linkWith(changes) {
  const q = new URLSearchParams(location.search);
  for (const [k, v] of Object.entries(changes)) v === null ? q.delete(k) : q.set(k, v);
  return "?" + q.toString();
}

// A key of the window: the view's keys to the simulator, p and c to the form.
function press(k) {
  if (k === "p" || k === "c") {
    showKind(k === "p" ? "ptp" : "cp");
    compute(formEntries(k === "p" ? "ptp" : "cp"));
    return;
  }
  if (sim._web_key(k.charCodeAt(0)) === 1) {
    draw();
    syncView();
  }
}

// Holding 's': three steps a frame until the motion ends.
let playing = false;
const frames = [];  // the times of the frames played [ms]
function play() {
  playing = !playing;
  $("play").textContent = playing ? TEXTS.stop : TEXTS.play;
  frames.length = 0;
  const step = () => {
    if (!playing) return;
    const before = text(sim._web_view());
    sim._web_key("s".charCodeAt(0));
    draw();
    frames.push(performance.now());
    if (text(sim._web_view()) === before) {
      playing = false;
      $("play").textContent = TEXTS.play;
      syncView();
      return;
    }
    requestAnimationFrame(step);
  };
  requestAnimationFrame(step);
}

document.addEventListener("keydown", (ev) => {
  if (ev.ctrlKey || ev.metaKey || ev.altKey || ev.target.closest("input, textarea, select")) return;
  if (WINDOW_KEYS.includes(ev.key) || ev.key === "p" || ev.key === "c") {
    ev.preventDefault();
    press(ev.key);
  }
});

// The page's simulator for scripts and tests: the keys, the files, the speed.
window.agvweb = {
  ready: createAgvweb({
    paint: (ops, texts) => paintFrame($("scene").getContext("2d"), ops, texts),
    // A pass that needs more memory than the browser gives stops the simulator for good.
    onAbort: (what) => {
      $("msg-pass").textContent = `the simulator stopped (${what}): reload the page`;
    },
  })
    .then(async (m) => {
      sim = m;
      params = lines(sim._web_params()).map((l) => {
        const [name, unit, lo, hi, whole, about, names, dflt] = l.split("\t");
        return {name, unit, lo, hi, whole: whole === "1", about, names, dflt};
      });
      for (const l of lines(sim._web_curves())) {
        const [I, ...cs] = l.split("\t");
        curves[I] = cs.map((c) => ({name: c.split("=")[0], dflt: c.split("=")[1]}));
      }
      buildForm();
      const e = new URLSearchParams(query);
      e.delete("lang");
      if (!e.has("path")) e.set("path", "ptp");
      fillForm(e);
      if (e.get("map")) await shippedMap(e.get("map"));
      compute(e);
      if (lang !== "ja" && lang !== "en") $("msg-lang").textContent = `the languages are ja and en, not ${lang}`;
    }),
  press,
  file: (name) => withStrings([name], (p) => text(sim._web_file(p))),
  // The pass of the entries computed again, and a frame drawn again: their times [ms].
  run: () => {
    const t = performance.now();
    sim._web_run();
    return performance.now() - t;
  },
  draw,
  files: () => lines(sim._web_files()),
  timing,
  frames,
  play,
  playing: () => playing,
};
