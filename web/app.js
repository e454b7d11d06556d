// The page: reads the chosen cards into a worker that runs the library, shows the
// summary page the console writes (--summary --format=html) in a frame, and around it
// the card view (report, field listing, bytes) and the downloads.
(function () {
  const $ = (id) => document.getElementById(id);
  const utf8 = new TextDecoder("utf-8");
  const hexRowBytes = 16;
  const hexLimit = 256 * 1024;  // more bytes than this make the view sluggish
  const filesPerRead = 1000;

  // The worker and its replies, one promise per request.
  const worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: "text/javascript" })));
  const pending = new Map();
  let nextId = 1;
  worker.onmessage = (event) => {
    const { id, result, error } = event.data;
    const request = pending.get(id);
    pending.delete(id);
    if (error !== undefined) request.reject(new Error(error));
    else request.resolve(result);
  };
  const ask = (message, transfer = []) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    worker.postMessage({ id, ...message }, transfer);
  });
  const run = (args) => ask({ kind: "run", args });

  // What was chosen: each file by its relative path, and the top-level names.
  let chosen = new Map();
  let roots = [];
  let summaryPage = null;

  function status(text, done, total) {
    $("status").textContent = text;
    const bar = $("progress");
    bar.hidden = done === undefined;
    if (total) { bar.max = total; bar.value = done; } else bar.removeAttribute("value");
  }

  // Moments of the last analysis, for whoever measures the page.
  const timings = {};
  window.mornstaveTimings = timings;

  async function analyse(files) {
    if (files.length === 0) return;
    timings.chosen = performance.now();
    chosen = new Map(files.map((file) => [file.path, file.file]));
    roots = [...new Set(files.map((file) => file.path.split("/")[0]))].sort();
    $("downloads").hidden = true;
    // Files read one by one cost the browser a round trip each: a blob made of many is
    // read in one, and its bytes go to the worker without a copy. Each file is a slice.
    status(`読み込み中 0 / ${files.length}`, 0, files.length);
    await ask({ kind: "clear" });
    let done = 0;
    const reads = [];
    for (let first = 0; first < files.length; first += filesPerRead) {
      const some = files.slice(first, first + filesPerRead);
      reads.push(new Blob(some.map((file) => file.file)).arrayBuffer().then((bytes) => {
        done += some.length;
        status(`読み込み中 ${done} / ${files.length}`, done, files.length);
        return ask({ kind: "add", bytes, paths: some.map((file) => file.path), sizes: some.map((file) => file.file.size) }, [bytes]);
      }));
    }
    await Promise.all(reads);
    timings.read = performance.now();
    status(`解析中 (${files.length}個のファイル)…`, 0);
    const result = await run(["--summary", "--format=html", "-r", "--", ...roots]);
    timings.analysed = performance.now();
    summaryPage = result.stdout;
    const frame = $("summary");
    frame.srcdoc = withoutBlocks(utf8.decode(summaryPage));
    frame.hidden = false;
    $("start").hidden = true;
    status(`${files.length}個のファイルを読みました。`);
    $("downloads").hidden = false;
  }

  // The frame shows the summary page without the cards' report blocks, most of its
  // bytes: the card view asks the library instead. The saved page keeps them. Card
  // texts in the blocks are escaped, so no "</template>" ends them early.
  function withoutBlocks(page) {
    const open = '<template id="blocks">';
    const start = page.indexOf(open);
    const end = page.indexOf("</template>", start);
    return start < 0 || end < 0 ? page : page.slice(0, start + open.length) + page.slice(end);
  }

  // The summary page opens a card in a dialog of its own, marked with the card's path;
  // here the card view takes its place. Failures open the view too.
  $("summary").addEventListener("load", () => {
    // Drawn: the first frame after the summary page's own script has run.
    requestAnimationFrame(() => setTimeout(() => { timings.drawn = performance.now(); }));
    const doc = $("summary").contentDocument;
    const dialog = doc && doc.getElementById("card");
    if (!dialog) return;
    new MutationObserver(() => {
      if (!dialog.open) return;
      dialog.close();
      openCard(dialog.dataset.path);
    }).observe(dialog, { attributes: true, attributeFilter: ["open"] });
    for (const item of doc.querySelectorAll("#failures li")) {
      const path = item.firstChild && item.firstChild.nodeType === 3 ? item.firstChild.textContent.replace(/: $/, "") : "";
      if (!chosen.has(path)) continue;
      item.style.cursor = "pointer";
      item.title = "クリックするとカードを表示します";
      item.addEventListener("click", () => openCard(path));
    }
    document.body.dataset.ready = "true";
  });

  async function openCard(path) {
    const file = chosen.get(path);
    if (!file) return;
    const [report, listing, buffer] = await Promise.all([run(["--", path]), run(["--explain", "--", path]), file.arrayBuffer()]);
    $("card-path").textContent = path;
    $("card-report").textContent = utf8.decode(report.stdout) + utf8.decode(report.stderr);
    showBytes(new Uint8Array(buffer));
    showFields(utf8.decode(listing.stdout));
    if (!$("card-view").open) $("card-view").showModal();
  }

  // One line per field: offset, size, record path and value; a broken card ends with
  // "error at 0x...", the byte where reading stopped.
  function showFields(text) {
    const list = $("card-fields");
    list.replaceChildren();
    for (const line of text.split("\n").slice(1)) {
      if (!line) continue;
      const item = document.createElement("li");
      item.textContent = line;
      const field = /^0x([0-9A-F]+) +(\d+)  /.exec(line);
      const stop = /^error at 0x([0-9A-F]+)/.exec(line);
      if (field) {
        item.dataset.offset = parseInt(field[1], 16);
        item.dataset.size = field[2];
        item.tabIndex = 0;
        item.addEventListener("click", () => selectField(item));
        item.addEventListener("keydown", (event) => { if (event.key === "Enter") selectField(item); });
      } else if (stop) {
        item.className = "error";
        const byte = $("card-hex").querySelector(`span.b[data-offset="${parseInt(stop[1], 16)}"]`);
        if (byte) { byte.classList.add("stop"); byte.title = "ここで読み込みが止まりました"; }
        item.addEventListener("click", () => byte && byte.scrollIntoView({ block: "center" }));
      }
      list.appendChild(item);
    }
  }

  function selectField(item) {
    for (const old of document.querySelectorAll("#card-fields li.selected, #card-hex span.sel")) old.classList.remove("selected", "sel");
    item.classList.add("selected");
    const offset = Number(item.dataset.offset), size = Number(item.dataset.size);
    const bytes = $("card-hex").querySelectorAll("span.b");
    for (let i = offset; i < offset + size && i < bytes.length; ++i) bytes[i].classList.add("sel");
    if (bytes[offset]) bytes[offset].scrollIntoView({ block: "nearest" });
  }

  // Built from numbers only: no text of the card enters the markup.
  function showBytes(bytes) {
    const shown = Math.min(bytes.length, hexLimit);
    const hex = (value, width) => value.toString(16).toUpperCase().padStart(width, "0");
    const rows = [];
    for (let row = 0; row < shown; row += hexRowBytes) {
      const cells = [`<span class="o">${hex(row, 8)}</span>`];
      for (let i = row; i < Math.min(row + hexRowBytes, shown); ++i) cells.push(`<span class="b" data-offset="${i}">${hex(bytes[i], 2)}</span>`);
      rows.push(cells.join(" "));
    }
    $("card-hex").innerHTML = rows.join("\n");
    $("card-hex-note").textContent = `${bytes.length}バイト` + (shown < bytes.length ? ` (先頭の${shown}バイトを表示)` : "");
  }

  $("card-close").addEventListener("click", () => $("card-view").close());

  // Downloads: made by the library from the same files, as the console would write them.
  const downloads = {
    "text-utf8": { args: ["--encoding=utf-8"], name: "report.txt", type: "text/plain;charset=utf-8" },
    "text-cp932": { args: ["--encoding=cp932"], name: "report-cp932.txt", type: "text/plain;charset=shift_jis" },
    json: { args: ["--format=json"], name: "cards.json", type: "application/json" },
    csv: { args: ["--summary", "--format=csv"], name: "summary.csv", type: "text/csv" },
  };
  function save(bytes, name, type) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
  }
  for (const button of document.querySelectorAll("[data-download]")) {
    button.addEventListener("click", async () => {
      const kind = button.dataset.download;
      if (kind === "html") { save(summaryPage, "summary.html", "text/html"); return; }
      const { args, name, type } = downloads[kind];
      status("保存する内容を作成中…", 0);
      const result = await run([...args, "-r", "--", ...roots]);
      save(result.stdout, name, type);
      status(`${chosen.size}個のファイルを読みました。`);
    });
  }

  // Choosing: files, a folder with its subfolders, or either dropped on the page.
  const picked = (input) => [...input.files].map((file) => ({ path: file.webkitRelativePath || file.name, file }));
  for (const id of ["pick-files", "pick-folder"]) {
    $(id).addEventListener("change", (event) => { analyse(picked(event.target)).catch(failed); event.target.value = ""; });
  }
  async function walk(entry, found) {
    if (entry.isFile) {
      found.push({ path: entry.fullPath.replace(/^\//, ""), file: await new Promise((resolve, reject) => entry.file(resolve, reject)) });
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
        if (batch.length === 0) break;
        for (const child of batch) await walk(child, found);
      }
    }
    return found;
  }
  document.addEventListener("dragover", (event) => { event.preventDefault(); document.body.classList.add("dragging"); });
  document.addEventListener("dragleave", () => document.body.classList.remove("dragging"));
  document.addEventListener("drop", async (event) => {
    event.preventDefault();
    document.body.classList.remove("dragging");
    const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry()).filter(Boolean);
    const found = [];
    try {
      for (const entry of entries) await walk(entry, found);
      await analyse(found);
    } catch (error) { failed(error); }
  });
  // 比較: a second version's folder, compared with the one chosen (--diff), whose page
  // the frame shows. Its files go in under a folder of their own.
  $("pick-compare").addEventListener("change", async (event) => {
    const files = picked(event.target);
    event.target.value = "";
    if (files.length === 0) return;
    if (roots.length !== 1) { status("比較するには、フォルダを一つ選んでからにしてください。"); return; }
    try {
      const prefix = "#compare/";
      const bytes = await new Blob(files.map((file) => file.file)).arrayBuffer();
      await ask({ kind: "add", bytes, paths: files.map((file) => prefix + file.path), sizes: files.map((file) => file.file.size) }, [bytes]);
      const other = files[0].path.split("/")[0];
      const result = await run(["--diff", "-r", "--format=html", "--", roots[0], prefix + other]);
      $("summary").srcdoc = utf8.decode(result.stdout);
      status(`${roots[0]} と ${other} を比べました。`);
    } catch (error) { failed(error); }
  });
  function failed(error) { status(`エラー: ${error.message}`); }
  worker.onerror = (event) => failed(new Error(event.message || "ワーカーを開始できません"));
})();
